#!/usr/bin/env bash
# Installs the Debian packages kv needs, and only those that are missing.
# Usage: scripts/deps.sh build|test|run|pictures ...
set -euo pipefail

build=(cmake ninja-build g++ pkg-config libpugixml-dev libzip-dev libicu-dev libcli11-dev libreoffice-dev libcpp-httplib-dev
       nlohmann-json3-dev libgtest-dev libgmock-dev)
test=(libbenchmark-dev clang-format qt6-base-dev libreoffice-writer-nogui zip unzip clang libclang-rt-14-dev
      libcpp-httplib-dev chromium chromium-driver python3-selenium)
run=(qt6-base-dev libreoffice-writer-nogui)
pictures=(poppler-utils xvfb xdotool imagemagick fonts-liberation2 fonts-dejavu-core chromium curl)

wanted=()
for group in "$@"; do
  case "$group" in
    build) wanted+=("${build[@]}") ;;
    test) wanted+=("${test[@]}") ;;
    run) wanted+=("${run[@]}") ;;
    pictures) wanted+=("${pictures[@]}") ;;
    *) echo "deps.sh: unknown group $group" >&2; exit 64 ;;
  esac
done

missing=()
for pkg in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'ok installed' || missing+=("$pkg")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
echo "Installing: ${missing[*]}" >&2
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
