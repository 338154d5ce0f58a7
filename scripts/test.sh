#!/usr/bin/env bash
# Installs whatever the build and the tests need (only what is missing), then
# configures, builds and runs the whole test suite under each preset.
# Usage: scripts/test.sh [preset...]   (default: default package sanitize unsigned-char tsan fuzz windows)
# The package step checks the install, the pkg-config and CMake package files and the .deb
# files made from the default preset's tree (scripts/test-packages.sh).
# The tsan preset builds only the test program and runs the reentrant decoding tests (the
# ones named Reentrant*, threads included) under ThreadSanitizer.
# The fuzz preset builds the libFuzzer targets and runs each for FUZZ_SECONDS (30).
# The windows preset cross-builds KODRA32.dll (64-bit, and 32-bit link only) and runs the
# Windows suite under wine64.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  g++ cmake ninja-build pkg-config binutils   # toolchain (nm for the export check)
  libgtest-dev libgmock-dev libbenchmark-dev  # test and benchmark frameworks
  libcli11-dev                                # argument parser of the kodra command
  libssl-dev                                  # libcrypto: SHA-256
  python3 sharutils mpack macutils coreutils  # peers the interop tests run against
  uudeview                                    # uuenview, the yEnc peer
  clang-14 libclang-rt-14-dev                 # libFuzzer targets (fuzz preset)
  qt6-base-dev libgl-dev                      # the test application merido (Qt 6 Widgets)
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools  # KODRA32.dll
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 wine wine64         # dlltool, objdump; Wine
  dpkg-dev file lintian man-db                # .deb files: dpkg-shlibdeps, their checks, man pages
  python3-dask python3-distributed python3-fsspec python3-pandas python3-pytest  # the Python package's tests
)
scripts/ensure-packages.sh "${packages[@]}"

# Runs the Windows test suite under wine64 in a fresh, throw-away prefix. The Wine server
# is started detached first (one started inside the test run would inherit ctest's pipes
# and keep it waiting), and stopped by its prefix afterwards.
run_windows_tests() {
  local prefix status=0 wine64=/usr/lib/wine/wine64  # Debian keeps wine64 off the PATH
  [[ -x $wine64 ]] || wine64=$(command -v wine64 || command -v wine)
  prefix=$(mktemp -d "${TMPDIR:-/tmp}/kodra-wine.XXXXXX")
  export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  wineserver -p </dev/null >/dev/null 2>&1
  "$wine64" wineboot --init </dev/null >/dev/null 2>&1 || true
  ctest --preset windows || status=$?
  wineserver -k </dev/null >/dev/null 2>&1 || true
  wineserver -w </dev/null >/dev/null 2>&1 || true
  rm -rf "$prefix"
  unset WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
  return $status
}

presets=("$@")
((${#presets[@]})) || presets=(default package sanitize unsigned-char tsan fuzz windows)
for preset in "${presets[@]}"; do
  if [[ $preset == package ]]; then
    # Not a preset of its own: the default tree, built already when that preset ran.
    echo "== packages (default preset's tree)"
    [[ -f build/default/CMakeCache.txt ]] || cmake --preset default
    cmake --build --preset default
    scripts/test-packages.sh build/default
    continue
  fi
  echo "== preset $preset"
  cmake --preset "$preset"
  cmake --build --preset "$preset"
  if [[ $preset == fuzz ]]; then
    for target in decode_buffer decode_file message_info message_text mime_time encoded_words binhex six_bit_lines line_source binhex_reader \
      reentrant_api decode_differential header_parameters mbox_messages yenc_decoder; do
      fuzz/run.sh "$target" "${FUZZ_SECONDS:-30}"
    done
  elif [[ $preset == windows ]]; then
    echo "== preset windows-i686 (link only)"
    cmake --preset windows-i686
    cmake --build --preset windows-i686
    run_windows_tests
  else
    ctest --preset "$preset"
  fi
done
