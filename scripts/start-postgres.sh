#!/bin/bash
# Starts a private PostgreSQL server for the tests: its own data folder and a unix socket
# in a fresh temporary folder (no TCP port), a role "designer" with a password and an empty
# database "vantrel" it owns. Prints the lines to evaluate:
#     eval "$(scripts/start-postgres.sh)"
# which export
#     KORVANDEL_PG_HOST      the socket folder (QPSQL and libpq take it as the host)
#     KORVANDEL_PG_PORT      the port number in the socket's name
#     KORVANDEL_PG_DATABASE, KORVANDEL_PG_USER, KORVANDEL_PG_PASSWORD
#     KORVANDEL_PG_CTL       a command that takes "stop" or "start": tests stop and start
#                            the real server with it to go through an outage
# "--stop DIR" (or KORVANDEL_PG_DIR set) stops the server of that folder and removes it.
set -euo pipefail

stop_server() {
    local dir=$1
    [ -x "$dir/pgctl" ] && "$dir/pgctl" stop >/dev/null 2>&1 || true
    rm -rf "$dir"
}
if [ "${1:-}" = "--stop" ]; then
    stop_server "${2:-${KORVANDEL_PG_DIR:?--stop needs the folder}}"
    exit 0
fi

bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
if [ -z "$bin" ]; then
    echo "$0: PostgreSQL is not installed (Debian package postgresql)" >&2
    exit 1
fi
port=55432
dir=$(mktemp -d /tmp/korvandel-pg.XXXXXX)
chmod 755 "$dir"
chown postgres "$dir"
as_postgres() { if [ "$(id -un)" = postgres ]; then "$@"; else runuser -u postgres -- "$@"; fi; }

as_postgres "$bin/initdb" -D "$dir/data" -A trust -U postgres >/dev/null
# Passwords are checked on the socket too, so that a wrong or missing password fails
# as it does on a real server; the superuser keeps trust for the set-up below.
cat >"$dir/data/pg_hba.conf" <<HBA
local all postgres trust
local all all scram-sha-256
HBA
cat >"$dir/pgctl" <<CTL
#!/bin/bash
# stop | start the private server of $dir
case "\$1" in
    stop) runuser -u postgres -- "$bin/pg_ctl" -D "$dir/data" -m fast -w stop ;;
    start) runuser -u postgres -- "$bin/pg_ctl" -D "$dir/data" -l "$dir/log" -w start \
        -o "-p $port -k $dir -c listen_addresses=''" ;;
    *) echo "usage: \$0 stop|start" >&2; exit 2 ;;
esac
CTL
chmod 755 "$dir/pgctl"
"$dir/pgctl" start >/dev/null

password=korvandel-test
psql -q -h "$dir" -p "$port" -U postgres -d postgres \
    -c "CREATE ROLE designer LOGIN PASSWORD '$password'" \
    -c "CREATE DATABASE vantrel OWNER designer" >/dev/null

cat <<OUT
export KORVANDEL_PG_DIR=$dir
export KORVANDEL_PG_HOST=$dir
export KORVANDEL_PG_PORT=$port
export KORVANDEL_PG_DATABASE=vantrel
export KORVANDEL_PG_USER=designer
export KORVANDEL_PG_PASSWORD=$password
export KORVANDEL_PG_CTL=$dir/pgctl
OUT
