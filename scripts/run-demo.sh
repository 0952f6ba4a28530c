#!/usr/bin/env bash
# The demo day with one command: installs what is needed (fresh Debian 12),
# builds, installs the program into the demo's directory, starts the private
# Firebird server, makes a demo shop (database with the trading program's
# side, its desktop tables, a simulated register that holds the goods and has
# a few sales rung up), writes the program's settings for it and starts the
# installed program at its login dialog.
#
#   ./scripts/run-demo.sh                 # prepare and start
#   ./scripts/run-demo.sh --prepare-only  # prepare, print how to start
#
# Environment: RUBSO_BUILD_DIR (build), RUBSO_DEMO_DIR (<build>/demo),
# RUBSO_DEMO_GOODS (goods in the catalogue; default: the shop's own, about
# 250; more are numbered test goods), RUBSO_DEMO_VNC_PORT
# (5900; used when there is no display: connect a VNC viewer to it), and the
# server's RUBSO_FB_ROOT, RUBSO_FB_PORT, RUBSO_FB_PASSWORD.
set -euo pipefail
cd "$(dirname "$0")/.."

prepare_only=0
[ "${1:-}" = "--prepare-only" ] && prepare_only=1

./scripts/install-deps.sh

build=${RUBSO_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --parallel "$(nproc)" \
  --target rubso rubso-demo-data winip_sim kasa-sim rubso-repair-table

eval "$(./scripts/firebird-server.sh start)"

# The program is installed as a shop gets it (install/: the program
# directory lib/rubso/ and the commands in bin/), with the demo tool beside
# it; its settings, data, register files and the simulated register's memory
# live in the data directory data/, named by RUBSO_DATA_DIR.
demo=${RUBSO_DEMO_DIR:-$PWD/$build/demo}
rm -rf "$demo"
cmake --install "$build" --prefix "$demo/install" >/dev/null
cmake --install "$build" --prefix "$demo/install" --component demo >/dev/null
program_dir=$demo/install/lib/rubso
data=$demo/data
export RUBSO_DATA_DIR=$data
mkdir -p "$data/handel"

database="$RUBSO_FB_DATA/rubso-demo.fdb"
"$program_dir/rubso-demo-data" --database "$RUBSO_FB_HOST:$database" \
  --user "$RUBSO_FB_USER" --password "$RUBSO_FB_PASSWORD" \
  --goods "${RUBSO_DEMO_GOODS:-0}" --recreate \
  --trading-dir "$data/handel" --register-dir "$data"

# The program's settings: the connection, the trading program's tables and
# letters, and register 1's warehouse and sales direction for the transfer.
printf '%s\r\n' \
  "[Rubso]" \
  "Pth=$RUBSO_FB_HOST:$database" \
  "User=$RUBSO_FB_USER" \
  "Pass=$RUBSO_FB_PASSWORD" \
  "" \
  "[Main]" \
  "AsorPth=$data/handel/" \
  "BarKod=KOD_EAN" \
  "StandLiter=Mazovia" \
  "TypDokum=WZ" \
  "UseEAN=0" \
  "" \
  "[NMain]" \
  "StandLiter=Mazovia" \
  "" \
  "[KASA 1]" \
  "NrKasySystem=1" \
  "NrMag=01" \
  "KierWZ=DET" \
  "NrRej=1" \
  "Cena=CENA_1" > "$data/rubso.INI"

# The shop's morning on register 1 (kasa-sim works in the data directory,
# where the simulated registers' memory is).
kasa_sim=$demo/install/bin/kasa-sim
(
  cd "$data"
  "$kasa_sim" sell 1 1 2 5 1 21 3 >/dev/null
  "$kasa_sim" sell 1 40 0.75 41 1.2 --discount=50 >/dev/null
  "$kasa_sim" sell 1 70 6 71 2 >/dev/null
  "$kasa_sim" sell 1 100 1 101 1 102 2 --cancelled >/dev/null
  "$kasa_sim" sell 1 3 1 150 1 >/dev/null
  echo "register 1 after the morning:"
  "$kasa_sim" list 1 | sed -n '/sales since/,$p'
)

cat <<EOF

Demo ready in $demo (the program in install/, its data in data/)
  The login takes the stored administrator (press "Wejście").
  A typical day: "Odczyt", then "Prześlij dane do Handlu" and the list's
  menu (right mouse button), then "Zerowanie liczników sprzedaży".
  More sales: (cd "$data" && "$kasa_sim" sell 1 CODE QUANTITY ...)
EOF

if [ "$prepare_only" = 1 ]; then
  echo "  Start: RUBSO_DATA_DIR=\"$data\" \"$demo/install/bin/rubso\""
  exit 0
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  port=${RUBSO_DEMO_VNC_PORT:-5900}
  export QT_QPA_PLATFORM="vnc:size=1366x768:port=$port"
  echo "  No display: the program shows on VNC, connect a viewer to localhost:$port"
fi
exec "$demo/install/bin/rubso"
