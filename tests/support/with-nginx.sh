#!/bin/sh
# Runs a test program with nginx on loopback started natively around it, for
# the Windows builds whose tests run under wine64 and cannot start nginx
# themselves. The server is the one testsupport::NginxServer starts
# (nginx.conf.in, nginx_certs.sh, /slow/ at 64k) and is described to the
# program in the environment; it is stopped, and its folder removed, when
# the program ends. Without nginx the program runs without the variables and
# its server tests skip.
#
#   with-nginx.sh PROGRAM [ARGS...]
set -u
here=$(cd "$(dirname "$0")" && pwd)
nginx=/usr/sbin/nginx
attempts=5

if [ ! -x "$nginx" ]; then
  exec "$@"
fi

dir=$(mktemp -d "${TMPDIR:-/tmp}/tesmar-nginx-XXXXXX")
pid=""
stop() {
  if [ -n "$pid" ]; then
    kill -TERM "$pid" 2>/dev/null
    i=0
    while kill -0 "$pid" 2>/dev/null && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  fi
  rm -rf "$dir"
}
trap stop EXIT
trap 'exit 1' INT TERM HUP

mkdir -p "$dir/root" "$dir/tmp"
if ! sh "$here/nginx_certs.sh" "$dir"; then
  echo "with-nginx: cannot make the certificates (openssl)" >&2
  exit 1
fi

# A port that is taken makes nginx end at once: another pair is tried.
accepts() {
  curl -s -o /dev/null --max-time 2 "http://$1:$2/" && return 0
  return 1
}
started=""
n=0
while [ $n -lt $attempts ] && [ -z "$started" ]; do
  n=$((n + 1))
  port=$(( $(od -An -N2 -tu2 /dev/urandom) % 30000 + 20000 ))
  tls=$((port + 1))
  sed -e "s|@DIR@|$dir|g" -e "s|@ROOT@|$dir/root|g" -e "s|@PORT@|$port|g" \
      -e "s|@TLS_PORT@|$tls|g" -e "s|@RATE@|64k|g" "$here/nginx.conf.in" > "$dir/nginx.conf"
  "$nginx" -p "$dir/" -c "$dir/nginx.conf" -e "$dir/error.log" &
  pid=$!
  i=0
  while [ $i -lt 200 ]; do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid" 2>/dev/null
      pid=""
      break
    fi
    if accepts 127.0.0.1 "$port" && accepts 127.0.0.2 "$port"; then
      started=yes
      break
    fi
    sleep 0.1
    i=$((i + 1))
  done
done
if [ -z "$started" ]; then
  echo "with-nginx: nginx did not start" >&2
  cat "$dir/error.log" >&2 2>/dev/null
  exit 1
fi

# The paths as the Windows program sees them (Wine's drive Z: is /).
winpath() {
  printf 'Z:%s' "$1" | tr '/' '\\'
}
export TESMAR_NGINX_PORT=$port
export TESMAR_NGINX_TLS_PORT=$tls
export TESMAR_NGINX_ROOT="$(winpath "$dir/root")"
export TESMAR_NGINX_CA="$(winpath "$dir/ca.pem")"
export TESMAR_NGINX_LOG="$(winpath "$dir/error.log")"
"$@"
rc=$?
exit $rc
