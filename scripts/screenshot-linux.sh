#!/usr/bin/env bash
# Takes docs/screenshot-linux.png: starts the real program on a virtual X display, adds a folder
# with duplicates through its folder dialog, searches, selects the first group and photographs it.
#   scripts/screenshot-linux.sh [BUILD_DIR]     (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=docs/screenshot-linux.png

if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target zwillingsfeger >/dev/null
program=$PWD/$build/platform/qt/zwillingsfeger

# A short path, so that the copies' names still fit into the list boxes.
work=$(mktemp -d /tmp/zwf.XXXX)
xvfb_pid="" app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# A small tree with three sets of copies and a few files that have none.
make_file() { mkdir -p "$(dirname "$work/$1")"; printf '%s' "$2" >"$work/$1"; }
demo=$work/Dateien
make_file "Dateien/Fotos/Urlaub 2024/strand.jpg" "$(head -c 2048 /dev/zero | tr '\0' 's')"
make_file "Dateien/Fotos/Urlaub 2024/berge.jpg" "$(head -c 3072 /dev/zero | tr '\0' 'b')"
make_file "Dateien/Fotos/Kopien/strand (1).jpg" "$(head -c 2048 /dev/zero | tr '\0' 's')"
make_file "Dateien/Fotos/Kopien/berge.jpg" "$(head -c 3072 /dev/zero | tr '\0' 'b')"
make_file "Dateien/Fotos/Kopien/hafen.jpg" "$(head -c 3072 /dev/zero | tr '\0' 'h')"
make_file "Dateien/Dokumente/brief.txt" "Liebe Oma, vielen Dank für das Paket!"
make_file "Dateien/Dokumente/brief (Kopie).txt" "Liebe Oma, vielen Dank für das Paket!"
make_file "Dateien/Dokumente/Ablage/brief-alt.txt" "Liebe Oma, vielen Dank für das Paket!"
make_file "Dateien/Dokumente/rechnung.pdf" "%PDF-1.4 Rechnung 2024-117"
make_file "Dateien/Musik/lied.ogg" "OggS lied"

# The virtual display, on the first free number.
displayfd=$work/display
Xvfb -displayfd 3 -screen 0 800x450x24 -nolisten tcp 3>"$displayfd" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$displayfd" ] && break; sleep 0.1; done
export DISPLAY=:$(head -n1 "$displayfd")
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

(cd "$work" && exec "$program") >"$work/program.log" 2>&1 &
app_pid=$!
window=$(xdotool search --sync --onlyvisible --name '^Zwillingsfeger$' | head -n1)
eval "$(xdotool getwindowgeometry --shell "$window")"  # X, Y: the window's place on the screen
click() { xdotool mousemove $((X + $1)) $((Y + $2)) click 1; }

# "Pfad hinzufügen": type the folder into the dialog and confirm it.
click 97 12
xdotool search --sync --onlyvisible --name '^Pfad hinzuf' >/dev/null
sleep 0.3
xdotool type --delay 30 "$demo"
xdotool key Return
for _ in $(seq 50); do xdotool search --onlyvisible --name '^Pfad hinzuf' >/dev/null 2>&1 || break; sleep 0.1; done
sleep 0.5

click 399 12    # "Doppelte Dateien suchen"
sleep 1
click 300 53    # the first group
sleep 0.5
xdotool mousemove $((X + 590)) $((Y + 150))   # the pointer out of the way
sleep 0.3

import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out"
echo "wrote $out"
