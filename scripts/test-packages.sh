#!/usr/bin/env bash
# Checks what the project installs and packages, from a tree that is already built:
#  1. `cmake --install` into a staging folder puts exactly the expected files there, and the
#     installed programs carry no path into the build tree;
#  2. the staged tree, moved elsewhere, serves an out-of-tree C program
#     (tests/packaging/consumer) built with find_package(Kodra) and with pkg-config, which runs;
#  3. `cpack -G DEB` makes libkodra32-0, libkodra32-dev and kodra with exactly the expected
#     files and fields, the consumer builds against the unpacked -dev and library packages,
#     and lintian finds no error in them.
# With KODRA_INSTALL_DEBS=1 it also installs the packages with dpkg, runs kodra and man, and
# removes and purges them again (as root; refused when one of them is installed already).
# Usage: scripts/test-packages.sh [BUILD_DIR]   (default: build/default)
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
build=$(realpath "${1:-build/default}")
[[ -f $build/CPackConfig.cmake && -x $build/cli/kodra ]] || {
  echo "test-packages: $build is no built tree (run cmake --build first)" >&2
  exit 2
}

work=$(mktemp -d "${TMPDIR:-/tmp}/kodra-packages.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
pass() { echo "ok: $*"; }

# Compares the sorted lines of two listings; prints the difference when they differ.
same_listing() {
  local what=$1 expected=$2 actual=$3
  if diff -u <(sort <<<"$expected") <(sort <<<"$actual") >"$work/diff"; then
    pass "$what"
  else
    fail "$what differs from the expected list:"
    cat "$work/diff" >&2
  fi
}

version=$("$build/cli/kodra" --version | awk '{print $2}')
major=${version%%.*}
libdir=$(sed -n 's/^CMAKE_INSTALL_LIBDIR:PATH=//p' "$build/CMakeCache.txt")
revision=$(sed -n 's/^KODRA_DEBIAN_REVISION:STRING=//p' "$build/CMakeCache.txt")
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
arch=$(dpkg --print-architecture)
echo "== packages of Kodra $version from $build (libdir $libdir)"

# 1. The staged install.
stage=$work/first/usr
cmake --install "$build" --prefix "$stage" >"$work/install.log"
actual=$(cd "$stage" && find . ! -type d | sed 's|^\./||')
expected="bin/kodra
include/kodra32.h
$libdir/libkodra32.so
$libdir/libkodra32.so.$major
$libdir/libkodra32.so.$version
$libdir/pkgconfig/kodra32.pc
$libdir/cmake/Kodra/KodraConfig.cmake
$libdir/cmake/Kodra/KodraConfigVersion.cmake
$libdir/cmake/Kodra/KodraTargets.cmake
share/man/man1/kodra.1.gz
share/man/man3/kodra32.3.gz
share/bash-completion/completions/kodra"
[[ -x $build/tester/merido ]] && expected+=$'\nbin/merido'
# The targets file of the build type is named after it (KodraTargets-relwithdebinfo.cmake).
actual=$(sed '/cmake\/Kodra\/KodraTargets-[a-z]*\.cmake$/d' <<<"$actual")
same_listing "installed files" "$expected" "$actual"
[[ $(readlink "$stage/$libdir/libkodra32.so") == libkodra32.so.$major ]] || fail "libkodra32.so link"
readelf -d "$stage/$libdir/libkodra32.so.$version" | grep -q "SONAME.*\[libkodra32.so.$major\]" ||
  fail "soname of the installed library"
for program in "$stage"/bin/*; do
  if readelf -d "$program" | grep -E "R(UN)?PATH" | grep -q "$build"; then
    fail "$program keeps a run path into the build tree"
  fi
done
for page in man1/kodra.1.gz man3/kodra32.3.gz; do
  gzip -t "$stage/share/man/$page" || fail "$page is no gzip file"
done

# 2. The consumer against the moved tree: nothing may point back to where it was installed.
mv "$work/first" "$work/moved"
moved=$work/moved/usr
LD_LIBRARY_PATH=$moved/$libdir "$moved/bin/kodra" --version >/dev/null || fail "installed kodra does not run"

consumer=$source_dir/tests/packaging/consumer
cmake -S "$consumer" -B "$work/consumer-cmake" -G Ninja -DCMAKE_PREFIX_PATH="$moved" \
  -DCMAKE_C_FLAGS="-Wall -Wextra -Werror" >"$work/consumer-cmake.log" ||
  { cat "$work/consumer-cmake.log"; fail "consumer: configure with find_package(Kodra)"; }
if cmake --build "$work/consumer-cmake" >>"$work/consumer-cmake.log" &&
  "$work/consumer-cmake/kodra_consumer"; then
  pass "consumer built with find_package(Kodra) from the moved tree"
else
  cat "$work/consumer-cmake.log"
  fail "consumer with find_package(Kodra)"
fi
grep -q "^Kodra_DIR:PATH=$moved/$libdir/cmake/Kodra$" "$work/consumer-cmake/CMakeCache.txt" ||
  fail "find_package(Kodra) did not use the moved tree"

export PKG_CONFIG_PATH=$moved/$libdir/pkgconfig
if [[ $(pkg-config --modversion kodra32) == "$version" ]] &&
  cc -Wall -Wextra -Werror -o "$work/consumer-pc" "$consumer/main.c" $(pkg-config --cflags --libs kodra32) &&
  LD_LIBRARY_PATH=$(pkg-config --variable=libdir kodra32) "$work/consumer-pc"; then
  pass "consumer built with pkg-config from the moved tree"
else
  fail "consumer with pkg-config"
fi
unset PKG_CONFIG_PATH

# 3. The .deb files.
debs=$work/debs
cpack --config "$build/CPackConfig.cmake" -B "$debs" >"$work/cpack.log" ||
  { cat "$work/cpack.log"; fail "cpack"; exit 1; }
debian_version=$version-$revision
lib_package=libkodra32-$major
lib_deb=$debs/${lib_package}_${debian_version}_$arch.deb
dev_deb=$debs/libkodra32-dev_${debian_version}_$arch.deb
cli_deb=$debs/kodra_${debian_version}_$arch.deb
same_listing "package files" "$(printf '%s\n' "$lib_deb" "$dev_deb" "$cli_deb")" "$(ls "$debs"/*.deb)"

contents() { dpkg-deb -c "$1" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./||'; }
doc() { printf 'usr/share/doc/%s/copyright\nusr/share/doc/%s/changelog.Debian.gz\n' "$1" "$1"; }
ma=usr/lib/$multiarch
same_listing "$lib_package contents" "$ma/libkodra32.so.$major
$ma/libkodra32.so.$version
$(doc "$lib_package")" "$(contents "$lib_deb")"
same_listing "libkodra32-dev contents" "usr/include/kodra32.h
$ma/libkodra32.so
$ma/pkgconfig/kodra32.pc
$ma/cmake/Kodra/KodraConfig.cmake
$ma/cmake/Kodra/KodraConfigVersion.cmake
$ma/cmake/Kodra/KodraTargets.cmake
usr/share/man/man3/kodra32.3.gz
$(doc libkodra32-dev)" "$(contents "$dev_deb" | sed '/cmake\/Kodra\/KodraTargets-[a-z]*\.cmake$/d')"
same_listing "kodra contents" "usr/bin/kodra
usr/share/man/man1/kodra.1.gz
usr/share/bash-completion/completions/kodra
$(doc kodra)" "$(contents "$cli_deb")"

field() { dpkg-deb -f "$1" "$2"; }
expect_field() {
  local deb=$1 name=$2 pattern=$3 value
  value=$(field "$deb" "$name")
  if [[ $value =~ $pattern ]]; then pass "$(basename "$deb") $name: $value"; else fail "$(basename "$deb") $name: \"$value\""; fi
}
expect_field "$lib_deb" Section '^libs$'
expect_field "$lib_deb" Depends 'libc6 .*libstdc\+\+6'
expect_field "$lib_deb" Depends '(^|, )libssl3'
expect_field "$dev_deb" Section '^libdevel$'
expect_field "$dev_deb" Depends "^$lib_package \(= ${debian_version//./\\.}\)$"
expect_field "$cli_deb" Depends "(^|, )$lib_package \(= ${debian_version//./\\.}\)(,|$)"
expect_field "$cli_deb" Depends 'libc6'
dpkg-deb --ctrl-tarfile "$lib_deb" | tar -xO ./shlibs 2>/dev/null |
  grep -qx "libkodra32 $major $lib_package (>= $debian_version)" || fail "$lib_package shlibs file"

# The consumer against the unpacked library and -dev packages, as find_package sees them.
unpacked=$work/unpacked
dpkg-deb -x "$lib_deb" "$unpacked"
dpkg-deb -x "$dev_deb" "$unpacked"
if cmake -S "$consumer" -B "$work/consumer-deb" -G Ninja -DCMAKE_PREFIX_PATH="$unpacked/usr" \
  -DCMAKE_C_FLAGS="-Wall -Wextra -Werror" >"$work/consumer-deb.log" &&
  cmake --build "$work/consumer-deb" >>"$work/consumer-deb.log" &&
  LD_LIBRARY_PATH=$unpacked/$ma "$work/consumer-deb/kodra_consumer" >/dev/null; then
  pass "consumer built with find_package(Kodra) from the unpacked packages"
else
  cat "$work/consumer-deb.log"
  fail "consumer against the unpacked packages"
fi

if command -v lintian >/dev/null; then
  # Errors fail the check; warnings are shown.
  status=0
  lintian --fail-on error --tag-display-limit 0 "$lib_deb" "$dev_deb" "$cli_deb" >"$work/lintian.log" 2>&1 ||
    status=$?
  grep -v "running with root privileges" "$work/lintian.log" || true
  ((status == 0)) && pass "lintian: no errors" || fail "lintian reports errors"
else
  fail "lintian is not installed"
fi

if [[ ${KODRA_INSTALL_DEBS:-0} == 1 ]]; then
  packages=(kodra libkodra32-dev "$lib_package")
  if dpkg-query -W -f='${Status}\n' "${packages[@]}" 2>/dev/null | grep -q " installed$"; then
    fail "a Kodra package is installed already; not touching it"
  else
    dpkg -i "$lib_deb" "$dev_deb" "$cli_deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -i"; }
    [[ $(kodra --version) == "kodra $version" ]] && pass "installed kodra runs" || fail "installed kodra"
    man -w kodra | grep -q '^/usr/share/man/man1/kodra.1.gz$' && man 3 kodra32 >/dev/null &&
      pass "man kodra, man 3 kodra32" || fail "installed man pages"
    pkg-config --exists kodra32 && pass "pkg-config finds kodra32 in /usr" || fail "pkg-config kodra32 in /usr"
    dpkg -r "${packages[@]}" >>"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -r"; }
    dpkg -P "${packages[@]}" >>"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -P"; }
    left=$(ls /usr/bin/kodra /usr/include/kodra32.h /usr/lib/"$multiarch"/libkodra32* 2>/dev/null || true)
    [[ -z $left ]] && pass "dpkg -r and -P removed everything" || fail "left after dpkg -r: $left"
    dpkg-query -W "${packages[@]}" >/dev/null 2>&1 && fail "dpkg still lists a package after the purge"
  fi
fi

if ((failures)); then
  echo "test-packages: $failures failed"
  exit 1
fi
echo "test-packages: all checks passed"
