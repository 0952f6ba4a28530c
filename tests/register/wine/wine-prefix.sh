#!/bin/sh
# The Wine prefix of a test run:
#   wine-prefix.sh create DIR   a fresh prefix in DIR, its server kept running
#   wine-prefix.sh remove DIR   the server stopped, DIR removed
# No display is used. Wine's own output goes to DIR.log, so that no
# process Wine leaves running holds the test's output open.
set -eu
dir=$2
export WINEPREFIX="$dir" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
case $1 in
  create)
    rm -rf "$dir"
    mkdir -p "$dir"
    # Kept for a minute after its last process: the tests' bridges start
    # one after another.
    wineserver -p60 >"$dir.log" 2>&1 </dev/null
    wineboot -i >>"$dir.log" 2>&1 </dev/null || { cat "$dir.log"; exit 1; }
    ;;
  remove)
    wineserver -k >/dev/null 2>&1 </dev/null || true
    rm -rf "$dir" "$dir.log"
    ;;
  *) echo "usage: $0 create|remove DIR" >&2; exit 2 ;;
esac
