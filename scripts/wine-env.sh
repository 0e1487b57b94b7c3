# Sourced by the Windows test scripts: a private Xvfb display and a fresh 32-bit Wine prefix in a
# temporary folder, torn down on exit. Every wine call goes through wine_run (with a timeout).
# Sets RUN (the temporary folder), DISPLAY, WINEPREFIX and friends.

RUN=$(mktemp -d /tmp/zwf-wine.XXXXXX)
XVFB=
wine_env_cleanup() {
    [ -n "${WINEPREFIX:-}" ] && timeout 20 wineserver -k >/dev/null 2>&1
    if [ -n "$XVFB" ]; then kill "$XVFB" 2>/dev/null; wait "$XVFB" 2>/dev/null; fi
    rm -rf "$RUN"
}
trap wine_env_cleanup EXIT

# Xvfb picks a free display itself: a fixed number may belong to someone else.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$RUN/display" 2>"$RUN/xvfb.log" &
XVFB=$!
for _ in $(seq 100); do [ -s "$RUN/display" ] && break; sleep 0.1; done
[ -s "$RUN/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(cat "$RUN/display")"

export WINEPREFIX="$RUN/pfx" WINEARCH=${WINEARCH:-win32} WINEDEBUG=-all LANG=C.UTF-8 HOME="$RUN/home" \
       WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d"
mkdir -p "$HOME"

wine_run() { timeout "${WINE_TIMEOUT:-120}" wine "$@"; }

# The services the first wine call starts inherit its descriptors: files, never a pipe.
timeout 180 wineboot -u >"$RUN/wineboot.log" 2>&1 </dev/null || { echo "wineboot failed" >&2; exit 1; }
cat >"$RUN/ci.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
REG
wine_run regedit /S "$(winepath -w "$RUN/ci.reg")" >"$RUN/regedit.log" 2>&1 </dev/null
wineserver -p  # stays up between the wine calls
