#!/usr/bin/env bash
# Installs whatever building the kodra command needs (only what is missing), builds it,
# and decodes the bundled sample message into a fresh output folder, listing what was
# written. Usage: scripts/run-sample.sh [output folder]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/ensure-packages.sh g++ cmake ninja-build libcli11-dev libssl-dev

# A build of its own, without the test suite, so the test command's builds stay as they are.
cmake -S . -B build/run -G Ninja -DCMAKE_BUILD_TYPE=Release -DKODRA_BUILD_TESTS=OFF -DKODRA_BUILD_TESTER=OFF >/dev/null
cmake --build build/run --target kodra
kodra=build/run/cli/kodra

output=${1:-$(mktemp -d "${TMPDIR:-/tmp}/kodra-sample.XXXXXX")}
echo
echo "== kodra list samples/field-report.eml"
"$kodra" list samples/field-report.eml
echo
echo "== kodra decode -C $output samples/field-report.eml"
"$kodra" decode -C "$output" samples/field-report.eml
echo
echo "== written into $output"
ls -l "$output"
