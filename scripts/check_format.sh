#!/usr/bin/env bash
# Fails when a C++ file of kv's is not formatted by the repository's .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."
dirs=()
for dir in src tests bench tools; do [ -d "$dir" ] && dirs+=("$dir"); done
find "${dirs[@]}" -type f \( -name '*.cpp' -o -name '*.h' \) -print0 |
  xargs -0 clang-format --dry-run --Werror
