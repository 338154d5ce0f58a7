#!/usr/bin/env bash
# Installs whatever the build and the tests need (only what is missing), then
# configures, builds and runs the whole test suite under each preset.
# Usage: scripts/test.sh [preset...]   (default: default sanitize unsigned-char)
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  g++ cmake ninja-build pkg-config binutils   # toolchain (nm for the export check)
  libgtest-dev libgmock-dev libbenchmark-dev  # test and benchmark frameworks
  libcli11-dev                                # argument parser of the kodra command
  python3 sharutils mpack macutils coreutils  # peers the interop tests run against
  qt6-base-dev libgl-dev                      # the test application merido (Qt 6 Widgets)
)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

presets=("$@")
((${#presets[@]})) || presets=(default sanitize unsigned-char)
for preset in "${presets[@]}"; do
  echo "== preset $preset"
  cmake --preset "$preset"
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done
