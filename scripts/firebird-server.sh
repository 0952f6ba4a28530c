#!/usr/bin/env bash
# A private Firebird 3 server for tests and the demo: its own port, its own
# security database and its own directory; nothing else on the machine is
# touched. Usage:
#   scripts/firebird-server.sh start   # prints the environment the tests read
#   scripts/firebird-server.sh stop    # waits until the server has ended
#   scripts/firebird-server.sh env
# Settings (environment, with defaults):
#   RUBSO_FB_ROOT      /tmp/rubso-firebird   server root (config, security db, lock)
#   RUBSO_FB_PORT      3055
#   RUBSO_FB_PASSWORD  masterkey             SYSDBA password
set -euo pipefail

root=${RUBSO_FB_ROOT:-/tmp/rubso-firebird}
port=${RUBSO_FB_PORT:-3055}
password=${RUBSO_FB_PASSWORD:-masterkey}
fbdir=/usr/lib/x86_64-linux-gnu/firebird/3.0
[ -d "$fbdir" ] || fbdir=$(dirname "$(dpkg -L firebird3.0-server-core | grep '/plugins$' | head -n1)")
security_src=/var/lib/firebird/3.0/system/security3.fdb

print_env() {
  echo "export RUBSO_FB_HOST=127.0.0.1/$port"
  echo "export RUBSO_FB_USER=SYSDBA"
  echo "export RUBSO_FB_PASSWORD=$password"
  echo "export RUBSO_FB_DATA=$root/data"
}

# How long `stop` waits for the server to end after asking it to, and after
# killing it (seconds). Firebird 3 often lets a SIGTERM go unanswered (its
# shutdown thread may not be running), so the kill is the usual end; its
# databases are written carefully and stay whole.
stop_timeout=${RUBSO_FB_STOP_TIMEOUT:-5}
kill_timeout=5

# True while process `pid` is there: not gone, and not a zombie left for a
# parent that does not reap it (a container's first process may not).
exists() {
  local pid=$1
  kill -0 "$pid" 2>/dev/null || return 1
  [ "$(sed 's/.*) //' "/proc/$pid/stat" 2>/dev/null | cut -d' ' -f1)" != Z ]
}

# The same, and it is a Firebird server (a pid file may name a number that
# another program got since).
alive() {
  exists "$1" && [ "$(cat "/proc/$1/comm" 2>/dev/null)" = firebird ]
}

running() {
  [ -f "$root/server.pid" ] && alive "$(cat "$root/server.pid")"
}

# True when something accepts connections on the port.
port_taken() {
  (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null
}

# Waits up to $2 seconds for `pid` to end; true when it has.
wait_gone() {
  local pid=$1 tenths=$(($2 * 10))
  for _ in $(seq 1 "$tenths"); do
    alive "$pid" || return 0
    sleep 0.1
  done
  ! alive "$pid"
}

start() {
  if running; then print_env; return 0; fi
  if port_taken; then
    echo "Port $port is already taken by another program; the Firebird server of $root" \
      "was not started. Stop that program or choose another RUBSO_FB_PORT." >&2
    return 1
  fi
  mkdir -p "$root/data" "$root/lock"
  for item in plugins lib UDF firebird.msg plugins.conf fbtrace.conf; do
    ln -sfn "$fbdir/$item" "$root/$item"
  done
  # The character-set module must be a real copy: through a symbolic link
  # the server loads it but reports every non-builtin character set
  # (WIN1250 among them) as "not installed".
  if [ ! -f "$root/intl/libfbintl.so" ]; then
    rm -rf "$root/intl"
    cp -rL "$fbdir/intl" "$root/intl"
  fi
  cat > "$root/firebird.conf" <<CONF
RemoteServicePort = $port
RemoteBindAddress = 127.0.0.1
SecurityDatabase = $root/data/security3.fdb
ServerMode = Super
WireCrypt = Enabled
AuthServer = Srp, Legacy_Auth
AuthClient = Srp, Legacy_Auth
UserManager = Srp
CONF
  cat > "$root/databases.conf" <<CONF
security.db = $root/data/security3.fdb
CONF
  if [ ! -f "$root/data/security3.fdb" ]; then
    cp "$security_src" "$root/data/security3.fdb"
    FIREBIRD=$root FIREBIRD_LOCK=$root/lock FIREBIRD_TMP=$root/lock \
      isql-fb -q -user SYSDBA "$root/data/security3.fdb" >/dev/null <<SQL
create or alter user SYSDBA password '$password' using plugin Srp;
commit;
SQL
  fi
  # The server runs as whoever starts it; test databases live in data/.
  chmod 777 "$root/data"
  FIREBIRD=$root FIREBIRD_LOCK=$root/lock FIREBIRD_TMP=$root/lock \
    nohup /usr/sbin/firebird > "$root/server.log" 2>&1 &
  local pid=$!
  echo "$pid" > "$root/server.pid"
  for _ in $(seq 1 100); do
    if ! exists "$pid"; then break; fi
    if port_taken; then print_env; return 0; fi
    sleep 0.1
  done
  echo "Firebird server did not start; see $root/server.log" >&2
  return 1
}

# Asks the server to end, waits for it, kills it when it does not end in
# time, and removes the pid file only once the process is gone.
stop() {
  [ -f "$root/server.pid" ] || return 0
  local pid
  pid=$(cat "$root/server.pid")
  if alive "$pid"; then
    kill -TERM "$pid" 2>/dev/null || true
    if ! wait_gone "$pid" "$stop_timeout"; then
      echo "Firebird server $pid did not end in ${stop_timeout}s; killing it" >&2
      kill -KILL "$pid" 2>/dev/null || true
      if ! wait_gone "$pid" "$kill_timeout"; then
        echo "Firebird server $pid is still there; $root/server.pid kept" >&2
        return 1
      fi
    fi
  fi
  rm -f "$root/server.pid"
}

case "${1:-start}" in
  start) start ;;
  stop) stop ;;
  env) print_env ;;
  *) echo "usage: $0 start|stop|env" >&2; exit 2 ;;
esac
