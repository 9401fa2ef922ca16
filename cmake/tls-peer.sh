#!/usr/bin/env bash
# A TLS peer for the TLS tests: a test authority and certificates made with the
# openssl tool, and Linux's nginx serving HTTPS on three loopback ports.
#   tls-peer.sh start DIR   makes everything below DIR and starts nginx
#   tls-peer.sh stop DIR    ends nginx
# DIR then holds:
#   ca.pem                the test authority (trusted by the tests as an extra authority)
#   good.port             certificate for localhost and 127.0.0.1 by the test authority
#   expired.port          the same names, by the test authority, expired in 2020
#   unknown.port          the same names, by an authority that nobody trusts
#   old.port              the good certificate, over TLS 1.1 alone
#   sni.port              the good certificate for the server name localhost (SNI), the unknown one otherwise
#   root/hello.txt        "hello over TLS" and a line feed
#   root/big.bin          the lines 1000000 to 1399999, seven digits and a line feed each
# Below /chunked/ the same files come without a length (chunked; until the close to HTTP/1.0).
# nginx also ends when the process that started it (ctest) ends without a stop.
set -euo pipefail
readonly START_TRIES=10     # random ports that may be taken by another program
readonly STOP_SECONDS=5
readonly WATCH_SECONDS=2
action="${1:-}"
state="${2:-}"
here=$(cd "$(dirname "$0")" && pwd)
[ -n "$action" ] && [ -n "$state" ] || { echo "usage: tls-peer.sh start|stop DIR" >&2; exit 2; }
mkdir -p "$state"
state=$(cd "$state" && pwd)
pki="$state/pki"

# shellcheck source=fixture-processes.sh
. "$here/fixture-processes.sh"

stop() {
  end_watcher "$state/watcher.pid" tls-peer.sh
  end_ours "$state/nginx.pid" nginx "$STOP_SECONDS"
  rm -f "$state/nginx.pid" "$state/watcher.pid" "$state"/*.port
}

# key NAME: an EC P-256 key (fast to make and to use).
key() {
  openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out "$pki/$1.key" 2>/dev/null
}

# authority NAME CN
authority() {
  key "$1"
  openssl req -x509 -new -key "$pki/$1.key" -out "$pki/$1.pem" -days 3650 -subj "/CN=$2" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
}

# server NAME AUTHORITY START END: a certificate for localhost and 127.0.0.1,
# valid from START to END (YYYYMMDDHHMMSSZ), signed by AUTHORITY.
server() {
  local name="$1" ca="$2"
  key "$name"
  openssl req -new -key "$pki/$name.key" -out "$pki/$name.csr" -subj "/CN=localhost" 2>/dev/null
  rm -rf "$pki/db-$name"
  mkdir -p "$pki/db-$name"
  : >"$pki/db-$name/index.txt"
  cat >"$pki/db-$name/ca.cnf" <<EOF
[ ca ]
default_ca = test
[ test ]
database = $pki/db-$name/index.txt
new_certs_dir = $pki/db-$name
serial = $pki/db-$name/serial
default_md = sha256
policy = any
unique_subject = no
x509_extensions = server
[ any ]
commonName = supplied
[ server ]
basicConstraints = critical,CA:FALSE
keyUsage = critical,digitalSignature
extendedKeyUsage = serverAuth
subjectAltName = DNS:localhost,IP:127.0.0.1
EOF
  openssl rand -hex 16 >"$pki/db-$name/serial"
  openssl ca -batch -notext -config "$pki/db-$name/ca.cnf" -cert "$pki/$ca.pem" -keyfile "$pki/$ca.key" \
    -in "$pki/$name.csr" -out "$pki/$name.pem" -startdate "$3" -enddate "$4" 2>"$pki/db-$name/log" ||
    { cat "$pki/db-$name/log" >&2; exit 1; }
}

# A server block of nginx.conf: server_block PORT CERTIFICATE [PROTOCOLS [CIPHERS [NAME]]]
server_block() {
  cat <<EOF
  server {
    listen 127.0.0.1:$1 ssl;
    server_name ${5:-localhost};
    ssl_certificate $pki/$2.pem;
    ssl_certificate_key $pki/$2.key;
    ssl_protocols ${3:-TLSv1.2 TLSv1.3};
    ssl_ciphers ${4:-HIGH:!aNULL:!MD5};
    root $state/root;
    location / { }
    location /chunked/ {
      alias $state/root/;
      sub_filter_types *;
      sub_filter 'no-such-text' 'x';
      sub_filter_once off;
    }
  }
EOF
}

start() {
  stop  # whatever an earlier, interrupted run left
  command -v nginx >/dev/null || [ -x /usr/sbin/nginx ] || { echo "tls-peer: nginx is not installed" >&2; exit 1; }
  local nginx
  nginx=$(command -v nginx || echo /usr/sbin/nginx)
  mkdir -p "$pki" "$state/root" "$state/logs" "$state/temp"
  authority ca "bailan test authority"
  authority stranger "bailan unknown authority"
  cp "$pki/ca.pem" "$state/ca.pem"
  server good ca "$(date -u -d '-1 day' +%Y%m%d%H%M%SZ)" "$(date -u -d '+1 year' +%Y%m%d%H%M%SZ)"
  server expired ca 20200101000000Z 20200201000000Z
  server unknown stranger "$(date -u -d '-1 day' +%Y%m%d%H%M%SZ)" "$(date -u -d '+1 year' +%Y%m%d%H%M%SZ)"
  printf 'hello over TLS\n' >"$state/root/hello.txt"
  seq -w 1000000 1399999 >"$state/root/big.bin"

  local try good expired unknown old sni user=""
  # As root the workers would switch to a user that cannot read the root folder.
  [ "$(id -u)" = 0 ] && user="user root;"
  for try in $(seq "$START_TRIES"); do
    good=$((20000 + RANDOM % 30000)); expired=$((good + 1)); unknown=$((good + 2)); old=$((good + 3)); sni=$((good + 4))
    cat >"$state/nginx.conf" <<EOF
$user
worker_processes 1;
daemon off;
pid $state/nginx.pid.nginx;
error_log $state/logs/error.log warn;
events { worker_connections 256; }
http {
  access_log off;
  default_type application/octet-stream;
  keepalive_timeout 30s;
  client_body_temp_path $state/temp/body;
  proxy_temp_path $state/temp/proxy;
  fastcgi_temp_path $state/temp/fastcgi;
  uwsgi_temp_path $state/temp/uwsgi;
  scgi_temp_path $state/temp/scgi;
$(server_block "$good" good)
$(server_block "$expired" expired)
$(server_block "$unknown" unknown)
$(server_block "$old" good TLSv1.1 'DEFAULT:@SECLEVEL=0')
$(server_block "$sni" unknown "" "" '""')
$(server_block "$sni" good)
}
EOF
    : >"$state/logs/error.log"
    # No output pipe of the caller stays open: ctest would wait for it.
    setsid "$nginx" -p "$state" -c "$state/nginx.conf" -e "$state/logs/error.log" </dev/null \
      >>"$state/logs/nginx.out" 2>&1 &
    echo $! >"$state/nginx.pid"
    for _ in $(seq 50); do
      if ! kill -0 "$(cat "$state/nginx.pid")" 2>/dev/null; then break; fi
      if (exec 3<>"/dev/tcp/127.0.0.1/$sni") 2>/dev/null; then
        echo "$good" >"$state/good.port"
        echo "$expired" >"$state/expired.port"
        echo "$unknown" >"$state/unknown.port"
        echo "$old" >"$state/old.port"
        echo "$sni" >"$state/sni.port"
        local starter=$PPID
        watch_starter "$starter" "$WATCH_SECONDS" "$here/tls-peer.sh" "$state" "$state/watcher.pid" \
          "$state/logs/watcher.log"
        echo "tls-peer: nginx on 127.0.0.1 ports $good (good), $expired (expired), $unknown (unknown authority), $old (TLS 1.1), $sni (by server name)"
        return 0
      fi
      sleep 0.1
    done
    stop
    echo "tls-peer: try $try failed:" >&2
    tail -3 "$state/logs/error.log" >&2
  done
  echo "tls-peer: nginx did not start" >&2
  exit 1
}

case "$action" in
  start) start ;;
  stop) stop ;;
  *) echo "usage: tls-peer.sh start|stop DIR" >&2; exit 2 ;;
esac
