#!/usr/bin/env bash
# Fuzzes kv's document engine (package reader and document model) with libFuzzer under
# AddressSanitizer and UndefinedBehaviorSanitizer, in a clang build of its own.
# Usage: scripts/fuzz.sh quick       a few thousand inputs (what ./test runs)
#        scripts/fuzz.sh [SECONDS]   a long run (default 3600 s) at the lowest priority;
#                                    what it finds stays in build-fuzz/corpus, crashes
#                                    and leaks in build-fuzz/crash-*, leak-*, timeout-*
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DKV_TEST_HOOKS=ON >/dev/null
cmake --build build --target kv_make_fuzz_seeds -- --quiet
cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DKV_SANITIZE=ON -DKV_FUZZ=ON -DKV_TEST_HOOKS=ON \
  -DKV_WITH_QT=OFF >/dev/null
cmake --build build-fuzz --target kv_fuzz_docx -- --quiet
build/tests/kv_make_fuzz_seeds build-fuzz/seeds

fuzz=(build-fuzz/tests/kv_fuzz_docx -dict=tests/fuzz/ooxml.dict -max_len=65536 -timeout=20
      -rss_limit_mb=1024 -print_final_stats=1 -artifact_prefix=build-fuzz/)
if [ "${1:-}" = quick ]; then
  corpus=$(mktemp -d)
  trap 'rm -rf "$corpus"' EXIT
  "${fuzz[@]}" -runs=3000 -seed=1 "$corpus" build-fuzz/seeds
else
  mkdir -p build-fuzz/corpus
  nice -n 19 "${fuzz[@]}" -max_total_time="${1:-3600}" build-fuzz/corpus build-fuzz/seeds
fi
