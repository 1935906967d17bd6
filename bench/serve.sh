#!/usr/bin/env bash
# kv serve against the command line, in one run:
#  1. a .doc upload to a warm service (its LibreOffice already running) against a cold
#     `kv --json` run of the same plan (goal: ratio <= 0.4), paired by farm-bench;
#  2. .docx uploads per second from 8 clients at once (goal: >= 100 on 2 cores).
# The .doc plan is examples/1235-we.docx saved as .doc by LibreOffice (findings, so both
# conversions happen). Usage: bench/serve.sh [BUILD_FOLDER [ROUNDS [SECONDS]]]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build}")
rounds=${2:-5}
seconds=${3:-10}
work=$(mktemp -d)
server=
cleanup() {
  [ -z "$server" ] || { kill -TERM "$server"; wait "$server" || true; }
  rm -rf "$work"
}
trap cleanup EXIT

soffice --headless --norestore "-env:UserInstallation=file://$work/profile" \
  --convert-to "doc:MS Word 97" --outdir "$work" "$root/examples/1235-we.docx" >/dev/null 2>&1
rm -rf "$work/profile"

"$build/kv" serve --listen 127.0.0.1:0 --jobs 2 --queue 64 >"$work/listening" 2>/dev/null &
server=$!
for _ in $(seq 100); do grep -q '/$' "$work/listening" 2>/dev/null && break; sleep 0.1; done
port=$(sed 's|.*:\([0-9]*\)/$|\1|' "$work/listening")
upload() { curl -sf -o /dev/null -F "plan=@$1" "http://127.0.0.1:$port/api/validate"; }
# Both workers start their LibreOffice now, not within the figures.
upload "$work/1235-we.doc" &
warming=$!
upload "$work/1235-we.doc"
wait $warming

echo "== .doc: warm service (A) against a cold kv run (B)"
farm-bench -n "$rounds" --timeout 1200 \
  --vs "sh -c 'cd $work && $build/kv --json 1235-we.doc >/dev/null 2>&1; rm -f 1235-we-validated.doc'" \
  -- curl -sf -o /dev/null -F "plan=@$work/1235-we.doc" "http://127.0.0.1:$port/api/validate"

echo "== .docx: requests per second, 8 clients, $seconds s"
"$build/bench/kv_serve_load" "$port" "$root/examples/1235-we.docx" 8 "$seconds"
