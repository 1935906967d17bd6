#!/usr/bin/env bash
# Fails when a file under src/ includes a layer its own layer may not use: the arrows point
# one way, from the front ends down to the engines. Usage: check_layers.sh [SRC]
set -euo pipefail
src=${1:-$(dirname "$0")/../src}

# What each layer may include besides itself. word/word_application.h and
# word/forwarding_application.h are the interface the engines implement: "word-interface".
declare -A allowed=(
  [report]=""
  [text]="report"
  [frontend]=""
  [ui]="frontend"
  [docx]="word-interface"
  [convert]="word-interface docx"
  [word]="word-interface docx convert"
  [validate]="word-interface word text report frontend"
  [main]="word-interface word docx convert text report frontend ui validate"
  [serve]="word-interface word docx convert text report frontend ui validate main"
)

status=0
while IFS= read -r -d '' file; do
  layer=${file#"$src"/}
  layer=${layer%%/*}
  if [ -z "${allowed[$layer]+set}" ]; then
    echo "$file: the layer $layer is not in scripts/check_layers.sh" >&2
    status=1
    continue
  fi
  while IFS= read -r target; do
    case "$target" in
      word/word_application.h | word/forwarding_application.h) used=word-interface ;;
      */*) used=${target%%/*} ;;
      *) continue ;;
    esac
    [ "$used" = "$layer" ] && continue
    # A layer's own interface is the layer too.
    [ "$layer" = word ] && [ "$used" = word-interface ] && continue
    if [[ " ${allowed[$layer]} " != *" $used "* ]]; then
      echo "$file: $layer/ may not include $target" >&2
      status=1
    fi
  done < <(sed -n -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)".*/\1/p' "$file")
done < <(find "$src" -type f \( -name '*.h' -o -name '*.cpp' \) -print0)
exit $status
