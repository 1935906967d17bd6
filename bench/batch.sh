#!/usr/bin/env bash
# The batch benchmarks, each measured in one run on the same files (written by
# kv_bench_plans: 20 .doc and 200 .docx plans, half of them with mistakes):
#   1. a batch of 20 .doc plans against 20 single runs of kv on the same files, and the
#      time per plan after the first: (batch of 20 - batch of 1) / 19;
#   2. a batch of the 200 .docx plans with --jobs 2, in plans per second.
# Usage: bench/batch.sh [BUILD_FOLDER]   (default: build; needs kv and kv_bench_plans)
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/kv_bench_plans" "$work"
cd "$work"

now() { date +%s.%N; }
kv() { "$build/kv" --pdg no "$@" >/dev/null 2>&1 || [ $? -le 2 ]; }
clean() { rm -f doc/*-validated.doc docx/*-validated.docx; }

t0=$(now); kv doc/2201-we.doc; t1=$(now); clean
kv doc; t2=$(now); clean
for plan in doc/22??-we.doc; do kv "$plan"; done; t3=$(now); clean
kv --jobs 2 docx; t4=$(now)

awk -v t0="$t0" -v t1="$t1" -v t2="$t2" -v t3="$t3" -v t4="$t4" 'BEGIN {
  printf "20 .doc plans: batch %.2f s, 20 single runs %.2f s, ratio %.2f\n", t2 - t1, t3 - t2, (t2 - t1) / (t3 - t2)
  printf "  per plan after the first: %.2f s (one plan alone %.2f s)\n", ((t2 - t1) - (t1 - t0)) / 19, t1 - t0
  printf "200 .docx plans, --jobs 2: %.2f s, %.0f plans per second\n", t4 - t3, 200 / (t4 - t3)
}'
