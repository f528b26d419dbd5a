#!/usr/bin/env bash
# A real HTTP server on 127.0.0.1 for tests, benchmarks and the demo:
# Debian's nginx serving one folder, honouring Range requests.
#
#   loopback_nginx.sh start <document root> <work folder> [limit_rate] [port]
#       starts nginx in the background (on a free port unless one is given)
#       and prints its port; the work folder
#       receives the configuration, the pid file and the logs (access.log has
#       one line per request: method, path, status, Range header, body bytes)
#   loopback_nginx.sh stop <work folder>
#
# limit_rate is nginx's per-request rate limit, e.g. 8m (8 MiB/s).
#
# TLS_CERTIFICATE=<pem> TLS_KEY=<key> serve https instead of http with that
# certificate (tools/test_certificates.sh makes some).
#
# SILENT_LOCATIONS="<path prefix> ..." hands the requests below those prefixes
# to tools/silent_http_server.py, which accepts them and never answers: a
# server that hangs (for example SILENT_LOCATIONS=/pictures/).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

nginx_binary="${NGINX:-/usr/sbin/nginx}"

case "${1:-}" in
    start)
        root="$(cd "$2" && pwd)"
        work="$(mkdir -p "$3" && cd "$3" && pwd)"
        rate="${4:-0}"
        wanted_port="${5:-}"

        silent_locations=""
        if [ -n "${SILENT_LOCATIONS:-}" ]; then
            rm -f "$work/silent/port"
            python3 "$here/silent_http_server.py" "$work/silent" --lifetime 900 > /dev/null 2>&1 &
            echo $! > "$work/silent.pid"
            for _ in $(seq 1 50); do
                [ -s "$work/silent/port" ] && break
                sleep 0.1
            done
            [ -s "$work/silent/port" ] || { echo "the silent server did not start" >&2; exit 1; }
            for prefix in $SILENT_LOCATIONS; do
                silent_locations="$silent_locations
        location ^~ $prefix { proxy_pass http://127.0.0.1:$(cat "$work/silent/port"); proxy_read_timeout 3600s; proxy_send_timeout 3600s; }"
            done
        fi

        tls=""
        if [ -n "${TLS_CERTIFICATE:-}" ]; then
            tls=" ssl;
        ssl_certificate $(realpath "$TLS_CERTIFICATE");
        ssl_certificate_key $(realpath "$TLS_KEY")"
        fi

        for _ in 1 2 3 4 5; do
            if [ -n "$wanted_port" ]; then
                port="$wanted_port"
            else
                port="$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')"
            fi
            mkdir -p "$work/temp"
            cat > "$work/nginx.conf" <<CONF
daemon on;
master_process off;
worker_processes 1;
pid $work/nginx.pid;
error_log $work/error.log warn;
events { worker_connections 512; }
http {
    log_format ranges '\$request_method \$uri \$status "\$http_range" \$body_bytes_sent';
    access_log $work/access.log ranges;
    client_body_temp_path $work/temp/body;
    proxy_temp_path $work/temp/proxy;
    fastcgi_temp_path $work/temp/fastcgi;
    uwsgi_temp_path $work/temp/uwsgi;
    scgi_temp_path $work/temp/scgi;
    default_type application/octet-stream;
    types { text/xml xml; image/png png; image/jpeg jpg; application/zip zip; }
    sendfile on;
    keepalive_timeout 30;
    server {
        listen 127.0.0.1:$port$tls;
        root $root;
        location / { limit_rate $rate; }$silent_locations
    }
}
CONF
            : > "$work/access.log"
            if "$nginx_binary" -p "$work" -c "$work/nginx.conf" 2> "$work/start.err"; then
                echo "$port"
                exit 0
            fi
            # Another process may have taken the port in between: try another one.
            grep -q "Address already in use" "$work/start.err" || { cat "$work/start.err" >&2; exit 1; }
            [ -z "$wanted_port" ] || { cat "$work/start.err" >&2; exit 1; }
        done
        cat "$work/start.err" >&2
        exit 1
        ;;
    stop)
        work="$2"
        if [ -f "$work/nginx.pid" ]; then
            kill "$(cat "$work/nginx.pid")" 2> /dev/null || true
            for _ in $(seq 1 50); do
                kill -0 "$(cat "$work/nginx.pid" 2> /dev/null)" 2> /dev/null || break
                sleep 0.1
            done
        fi
        if [ -f "$work/silent.pid" ]; then
            kill "$(cat "$work/silent.pid")" 2> /dev/null || true
            rm -f "$work/silent.pid"
        fi
        ;;
    *)
        echo "usage: $0 start <document root> <work folder> [limit_rate] | stop <work folder>" >&2
        exit 2
        ;;
esac
