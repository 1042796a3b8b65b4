#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Valdenta need.
# Idempotent and quiet: apt runs only when a package is missing.
set -euo pipefail

packages=(
  # compiler, build system, test and benchmark frameworks
  g++ cmake make libgtest-dev libgmock-dev libbenchmark-dev
  # the window: Qt 6 Widgets, its font, a virtual X server and a key driver for tests
  qt6-base-dev fonts-ipafont-gothic xvfb xauth xdotool imagemagick jwm
  # the command line: argument parsing and RFC 4180 reading
  libcli11-dev libcsv-dev
  # fuzzing with libFuzzer, and the desktop package
  clang-14 libclang-rt-14-dev dpkg-dev file desktop-file-utils appstream
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ $status == "install ok installed" ]] || missing+=("$p")
done
((${#missing[@]} == 0)) && exit 0

sudo=""
((EUID == 0)) || sudo="sudo"
echo "Installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
