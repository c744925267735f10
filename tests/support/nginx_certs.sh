#!/bin/sh
# Makes a certificate authority of its own and a server certificate it
# signed for 127.0.0.1 and localhost, in DIR: ca.pem (the authority the
# client trusts), server.pem and server.key (for nginx).
#
# The address is also named as a DNS name: Wine's WinHTTP compares only DNS
# names with the host of the address and fails an IP entry alone.
#
#   nginx_certs.sh DIR
set -eu
dir=$1
cat > "$dir/ca.cnf" <<CNF
basicConstraints = critical, CA:TRUE
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
CNF
cat > "$dir/server.cnf" <<CNF
basicConstraints = CA:FALSE
keyUsage = critical, digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = IP:127.0.0.1, DNS:127.0.0.1, DNS:localhost
authorityKeyIdentifier = keyid
subjectKeyIdentifier = hash
CNF
openssl req -new -newkey rsa:2048 -nodes -keyout "$dir/ca.key" -out "$dir/ca.csr" \
    -subj "/CN=Tesmar test authority" 2>/dev/null
openssl x509 -req -in "$dir/ca.csr" -signkey "$dir/ca.key" -out "$dir/ca.pem" -days 3 \
    -sha256 -extfile "$dir/ca.cnf" 2>/dev/null
openssl req -new -newkey rsa:2048 -nodes -keyout "$dir/server.key" -out "$dir/server.csr" \
    -subj "/CN=127.0.0.1" 2>/dev/null
openssl x509 -req -in "$dir/server.csr" -CA "$dir/ca.pem" -CAkey "$dir/ca.key" \
    -set_serial 2 -out "$dir/server.pem" -days 3 -sha256 -extfile "$dir/server.cnf" 2>/dev/null
