#!/usr/bin/env bash
# How quickly the Linux window answers a screen reader while it searches: starts the program on a
# virtual display with the accessibility bus, adds a folder with two identical 1 GiB sparse files
# through its folder dialog, and lets bench/answer_time.py ask questions during a few searches.
#   bench/answer_time_linux.sh [PROGRAM] [SEARCHES]   (default: build/platform/qt/zwillingsfeger, 3)
set -euo pipefail
cd "$(dirname "$0")/.."
program=$(realpath "${1:-build/platform/qt/zwillingsfeger}")
searches=${2:-3}

need=()
for pkg in python3-gi gir1.2-atspi-2.0 at-spi2-core dbus-daemon xvfb xdotool; do
  dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
done
if [ ${#need[@]} -gt 0 ]; then
  apt-get install -y --no-install-recommends "${need[@]}" >/dev/null
fi

work=$(mktemp -d /tmp/zwf-answer.XXXX)
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/Paar"
truncate -s 1G "$work/Paar/a" "$work/Paar/b"

Xvfb -displayfd 3 -screen 0 800x450x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -n1 "$work/display")
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

# Everything that talks to the accessibility bus runs inside one session bus, started before
# the program, which asks the session bus where the accessibility bus is.
cat >"$work/session.sh" <<'INNER'
set -euo pipefail
program=$1 folder=$2 searches=$3 bench=$4 work=$5
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$work/bus.log" 2>&1 &
bus=$!
sleep 0.5
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$program" >"$work/program.log" 2>&1 &
app=$!
trap 'kill $app $bus 2>/dev/null; wait 2>/dev/null' EXIT
window=$(xdotool search --sync --onlyvisible --name '^Zwillingsfeger$' | head -n1)
eval "$(xdotool getwindowgeometry --shell "$window")"
# "Pfad hinzufügen": type the folder into the dialog and confirm it.
xdotool mousemove $((X + 97)) $((Y + 12)) click 1
xdotool search --sync --onlyvisible --name '^Pfad hinzuf' >/dev/null
sleep 0.3
xdotool type --delay 20 "$folder"
xdotool key Return
for _ in $(seq 50); do xdotool search --onlyvisible --name '^Pfad hinzuf' >/dev/null 2>&1 || break; sleep 0.1; done
sleep 0.5
${DEBUG_HOOK:-/usr/bin/python3 "$bench/answer_time.py" --searches "$searches" "$folder"}
INNER
dbus-run-session -- bash "$work/session.sh" "$program" "$work/Paar" "$searches" "$PWD/bench" "$work"
