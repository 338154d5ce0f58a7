#!/usr/bin/env bash
# Installs whatever the build and the tests need (only what is missing), then
# configures, builds and runs the whole test suite under each preset.
# Usage: scripts/test.sh [preset...]   (default: default sanitize unsigned-char fuzz)
# The fuzz preset builds the libFuzzer targets and runs each for FUZZ_SECONDS (30).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  g++ cmake ninja-build pkg-config binutils   # toolchain (nm for the export check)
  libgtest-dev libgmock-dev libbenchmark-dev  # test and benchmark frameworks
  libcli11-dev                                # argument parser of the kodra command
  python3 sharutils mpack macutils coreutils  # peers the interop tests run against
  clang-14 libclang-rt-14-dev                 # libFuzzer targets (fuzz preset)
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
((${#presets[@]})) || presets=(default sanitize unsigned-char fuzz)
for preset in "${presets[@]}"; do
  echo "== preset $preset"
  cmake --preset "$preset"
  cmake --build --preset "$preset"
  if [[ $preset == fuzz ]]; then
    for target in decode_buffer decode_file message_info message_text mime_time encoded_words binhex; do
      fuzz/run.sh "$target" "${FUZZ_SECONDS:-30}"
    done
  else
    ctest --preset "$preset"
  fi
done
