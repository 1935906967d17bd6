#!/usr/bin/env bash
# Regenerates the README's pictures in docs/images/ from the bundled samples: the first page
# and the schedule page of the validated copy of examples/1235-we.docx (through LibreOffice
# to PDF, poppler to PNG), kv's terminal output, and the Qt dialogs on a virtual display.
# Installs what is missing; run again whenever the samples or the dialogs change.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
images=$root/docs/images
max_bytes=200000

scripts/deps.sh build run pictures
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target kv -- --quiet
mkdir -p "$images"

# Inside the build folder, so the pictures show the same paths at every run.
work=$root/build/pictures
rm -rf "$work"
mkdir -p "$work"
xvfb_pid=
cleanup() {
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A palette PNG no larger than max_bytes: fewer colours first, then a smaller picture.
save_small() {
  local from=$1 to=$2 scale=100
  while :; do
    convert "$from" -resize "$scale%" -colors 64 -strip "PNG8:$to"
    [ "$(stat -c %s "$to")" -le $max_bytes ] && break
    scale=$((scale - 10))
    [ $scale -gt 20 ] || { echo "pictures.sh: $to stays above $max_bytes bytes" >&2; exit 1; }
  done
  echo "$to: $(stat -c %s "$to") bytes"
}

# The terminal: kv with --json on a copy of the sample, as a reader would type it.
mkdir -p "$work/plans" "$work/dialog"
cp examples/1235-we.docx "$work/plans/"
status=0
(cd "$work/plans" && "$root/build/kv" --json 1235-we.docx >out.txt 2>&1) || status=$?
[ $status -eq 1 ] || { echo "pictures.sh: kv ended with status $status" >&2; exit 1; }
{ echo "$ kv --json 1235-we.docx"; fold -w 96 "$work/plans/out.txt"; echo "$ echo \$?"; echo 1; } \
  >"$work/terminal.txt"
# One label per line, stacked: ImageMagick refuses a single label of many lines. A "%"
# in a label starts an escape.
labels=()
while IFS= read -r line; do labels+=("label:${line//%/%%} "); done <"$work/terminal.txt"
convert -background '#1e1e1e' -fill '#e0e0e0' -font DejaVu-Sans-Mono -pointsize 13 \
  "${labels[@]}" -append +repage -bordercolor '#1e1e1e' -border 12 "$work/terminal.png"
save_small "$work/terminal.png" "$images/terminal.png"

# The validated copy through LibreOffice (a private profile, so a running office is left alone).
timeout 300 soffice "-env:UserInstallation=file://$work/profile" --headless --convert-to pdf \
  --outdir "$work" "$work/plans/1235-we-validated.docx" >/dev/null
pdf=$work/1235-we-validated.pdf
page_png() {
  pdftoppm -r 100 -png -f "$1" -l "$1" -singlefile "$pdf" "$work/page"
  save_small "$work/page.png" "$2"
}
page_png 1 "$images/validated-copy.png"
pages=$(pdfinfo "$pdf" | awk '/^Pages:/ {print $2}')
for ((page = 1; page <= pages; ++page)); do
  if pdftotext -f $page -l $page "$pdf" - | grep -q 'Task / Subtask'; then break; fi
done
[ $page -le "$pages" ] || { echo "pictures.sh: no schedule in $pdf" >&2; exit 1; }
page_png $page "$images/shaded-cells.png"

# The Qt dialogs on a virtual display without a window manager: the file chooser, then
# (the sample typed into it) the closing box, each captured as its own window.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.2; done
[ -s "$work/display" ] || { echo "pictures.sh: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(cat "$work/display") QT_QPA_PLATFORM=xcb
cp examples/1235-we.docx "$work/dialog/"
(cd "$work/dialog" && exec "$root/build/kv" </dev/null >/dev/null 2>&1) &
kv_pid=$!
# Waits for a visible window other than the one given, and captures it.
window=
capture() {
  local seen=$1
  for _ in $(seq 300); do
    window=$(xdotool search --onlyvisible --name . 2>/dev/null | grep -vx "$seen" | tail -1 || true)
    [ -n "$window" ] && break
    sleep 0.2
  done
  [ -n "$window" ] || { echo "pictures.sh: no window for $2" >&2; exit 1; }
  sleep 1  # let it paint
  timeout 30 import -window "$window" "$work/window.png"
  convert "$work/window.png" -bordercolor '#808080' -border 1 "$work/window.png"  # no frame here
  save_small "$work/window.png" "$2"
}
capture none "$images/file-chooser.png"
xdotool windowfocus --sync "$window" type --delay 20 "1235-we.docx"
sleep 0.5
xdotool key Return
capture "$window" "$images/closing-box.png"
xdotool windowfocus --sync "$window" key Return
timeout 60 tail --pid=$kv_pid -f /dev/null || kill $kv_pid

# The report page of kv serve for the sample, as headless Chromium draws it (no network, a
# fresh profile), the service's store in the picture folder so nothing is left elsewhere.
mkdir -p "$work/serve"
TMPDIR=$work/serve "$root/build/kv" serve --listen 127.0.0.1:0 >"$work/serve/listening" 2>/dev/null &
serve_pid=$!
for _ in $(seq 100); do grep -q '/$' "$work/serve/listening" 2>/dev/null && break; sleep 0.1; done
url=$(sed 's|.*listening on ||' "$work/serve/listening")
report=$(curl -sf -F "plan=@examples/1235-we.docx" "${url}api/validate" |
  sed 's|.*"report_url":"\([^"]*\)".*|\1|')
timeout 120 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
  --disable-background-networking --disable-component-update --disable-sync \
  "--user-data-dir=$work/chromium" --hide-scrollbars --window-size=1000,1500 \
  "--screenshot=$work/report.png" "${url%/}$report" >/dev/null 2>&1
kill -TERM $serve_pid && wait $serve_pid
save_small "$work/report.png" "$images/report-page.png"
