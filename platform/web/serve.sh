#!/usr/bin/env bash
# Serves the page's folder on 127.0.0.1 only, as static files (make web-run,
# the browser proof and its benchmark).
#   serve.sh DIR [PORT]    PORT 0 takes any free port; the first line says which
set -euo pipefail
dir=$1
port=${2:-8080}
[ -f "$dir/index.html" ] || { echo "serve: no page in $dir (make web builds it)" >&2; exit 1; }
exec python3 -u -m http.server --bind 127.0.0.1 --directory "$dir" "$port"
