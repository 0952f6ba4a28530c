#!/usr/bin/env bash
# A private Firebird 3 server for tests and the demo: its own port, its own
# security database and its own directory; nothing else on the machine is
# touched. Usage:
#   scripts/firebird-server.sh start   # prints the environment the tests read
#   scripts/firebird-server.sh stop
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

running() {
  [ -f "$root/server.pid" ] && kill -0 "$(cat "$root/server.pid")" 2>/dev/null
}

start() {
  if running; then print_env; return 0; fi
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
  echo $! > "$root/server.pid"
  for _ in $(seq 1 100); do
    if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then print_env; return 0; fi
    sleep 0.1
  done
  echo "Firebird server did not start; see $root/server.log" >&2
  return 1
}

stop() {
  if running; then
    kill "$(cat "$root/server.pid")"
    for _ in $(seq 1 50); do running || break; sleep 0.1; done
  fi
  rm -f "$root/server.pid"
}

case "${1:-start}" in
  start) start ;;
  stop) stop ;;
  env) print_env ;;
  *) echo "usage: $0 start|stop|env" >&2; exit 2 ;;
esac
