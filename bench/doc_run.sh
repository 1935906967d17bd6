#!/usr/bin/env bash
# A whole kv run on a .doc work plan beside the two bare LibreOffice conversions such a run
# needs (.doc to .docx, then .docx to .doc), both calls sharing one profile. The plan is
# examples/1235-we.docx saved as .doc by LibreOffice. Runs the two in turn, after one
# warm-up each, and prints the median wall time of each and their ratio.
# Usage: bench/doc_run.sh [KV_BINARY [ROUNDS]]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
kv=$(realpath "${1:-$root/build/kv}")
rounds=${2:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
profile="-env:UserInstallation=file://$work/profile"
convert() { # format, output folder, input
  soffice --headless --norestore "$profile" --convert-to "$1" --outdir "$2" "$3" >/dev/null 2>&1
}
convert "doc:MS Word 97" "$work" "$root/examples/1235-we.docx"

bare() {
  convert "docx:MS Word 2007 XML" "$work/bare" "$work/1235-we.doc"
  convert "doc:MS Word 97" "$work/bare/doc" "$work/bare/1235-we.docx"
}
validate() {
  rm -f "$work/1235-we-validated.doc"
  (cd "$work" && "$kv" --json 1235-we.doc >/dev/null 2>&1) || [ $? -le 1 ]
}
seconds() { # command: its wall time
  local start end
  start=$(date +%s%N)
  "$@"
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}
median() { sort -n | awk '{a[NR] = $1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }

bare && validate
for _ in $(seq "$rounds"); do
  echo "kv $(seconds validate)" >>"$work/times"
  echo "bare $(seconds bare)" >>"$work/times"
done
kv_ms=$(awk '$1 == "kv" {print $2}' "$work/times" | median)
bare_ms=$(awk '$1 == "bare" {print $2}' "$work/times" | median)
echo "one kv run on a .doc: $kv_ms ms (median of $rounds)"
echo "two bare conversions: $bare_ms ms"
awk -v a="$kv_ms" -v b="$bare_ms" 'BEGIN {printf "ratio: %.2f\n", a / b}'
