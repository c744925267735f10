#!/usr/bin/env bash
# versiond as its users run it: serve on a free port, read the port from the
# first line, query it for every result code, stop it.
set -euo pipefail
versiond="$1"
work="$(mktemp -d)"
server=""
holder=""
cleanup() {
  for p in $server $holder; do kill "$p" 2>/dev/null || true; wait "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/root/v1" "$work/root/v2"
printf 'first patch' > "$work/root/v1/a.cpk"
printf '' > "$work/root/v2/b.cpk"
cat > "$work/manifest" <<'MANIFEST'
latest 3
mirror * 127.0.0.9
path 1 v1\a.cpk v2\b.cpk
path 2
MANIFEST

fail() { echo "FAIL: $*"; [ -f "$work/log" ] && cat "$work/log"; exit 1; }

# A missing file is an error at start-up.
echo 'path 0 v1\missing.cpk' >> "$work/manifest.bad"
cat "$work/manifest" "$work/manifest.bad" > "$work/manifest.missing"
if "$versiond" serve --manifest "$work/manifest.missing" --root "$work/root" --port 0 \
     > "$work/out.missing" 2> "$work/err.missing"; then
  fail "serve started with a missing file"
fi
grep -q 'missing.cpk' "$work/err.missing" || fail "no reason given: $(cat "$work/err.missing")"

mkfifo "$work/out"
"$versiond" serve --manifest "$work/manifest" --root "$work/root" --address 127.0.0.1 --port 0 \
  > "$work/out" 2> "$work/log" &
server=$!
exec 3< "$work/out"
read -r -t 120 first <&3 || fail "no first line"
[[ "$first" =~ ^listening\ on\ 127\.0\.0\.1:([0-9]+)$ ]] || fail "first line: $first"
port="${BASH_REMATCH[1]}"

out="$("$versiond" query 127.0.0.1 "$port" 1)" || fail "query 1 failed"
expected="code: 1
target: 3
ftp: 127.0.0.9
v1\\a.cpk $(printf 'first patch' | md5sum | cut -d' ' -f1)
v2\\b.cpk d41d8cd98f00b204e9800998ecf8427e"
[ "$out" = "$expected" ] || fail "query 1 printed: $out"

out="$("$versiond" query localhost "$port" 3 5)" || fail "query 3 failed"
[ "$out" = $'code: 0\ntarget: 3\nftp: 127.0.0.9' ] || fail "query 3 printed: $out"
out="$("$versiond" query 127.0.0.1 "$port" 2)" || fail "query 2 failed"
[[ "$out" == code:\ 3* ]] || fail "query 2 printed: $out"
out="$("$versiond" query 127.0.0.1 "$port" 9)" || fail "query 9 failed"
[[ "$out" == code:\ 2* ]] || fail "query 9 printed: $out"

[ "$(grep -c -- '-> code=' "$work/log")" = 4 ] || fail "not one log line per request"

# Nobody listening: exit 1 with the reason. A bound socket that does not
# listen holds the port meanwhile, so nobody else can answer there.
kill "$server"; wait "$server" 2>/dev/null || true; server=""
mkfifo "$work/held"
perl -MSocket -e 'socket(my $s, PF_INET, SOCK_STREAM, 0) or die "socket: $!";
  bind($s, pack_sockaddr_in(0, inet_aton("127.0.0.1"))) or die "bind: $!";
  my ($p) = unpack_sockaddr_in(getsockname($s)); $| = 1; print "$p\n"; sleep 600' \
  > "$work/held" &
holder=$!
exec 4< "$work/held"
read -r -t 120 refusing <&4 || fail "no port held"
if "$versiond" query 127.0.0.1 "$refusing" 1 > /dev/null 2> "$work/err"; then
  fail "query succeeded without a server"
fi
grep -q 'cannot connect' "$work/err" || fail "reason: $(cat "$work/err")"
echo "versiond serve and query: ok"
