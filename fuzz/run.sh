#!/usr/bin/env bash
# Runs one fuzz target for a given number of seconds: fuzz/run.sh TARGET SECONDS
# (TARGET: decode_buffer decode_file message_info message_text mime_time encoded_words binhex six_bit_lines line_source binhex_reader
# reentrant_api decode_differential header_parameters mbox_messages).
# Builds the fuzz preset first when needed. New inputs go to build/fuzz/corpus/TARGET (the
# saved corpus in fuzz/corpus stays untouched); a finding is written to
# build/fuzz/findings/ and ends the script with a failure. Save a finding as a regression
# input in fuzz/regressions/TARGET/ once it is fixed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)  # absolute paths: some targets change their working folder

if (($# != 2)); then
  echo "usage: fuzz/run.sh TARGET SECONDS" >&2
  exit 2
fi
target=$1
seconds=$2
binary=build/fuzz/fuzz/fuzz_$target
if [[ ! -f fuzz/targets/$target.cpp ]]; then
  echo "unknown target: $target" >&2
  exit 2
fi
if [[ ! -x $binary ]]; then
  cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz
fi

work=build/fuzz/corpus/$target
findings=build/fuzz/findings
mkdir -p "$work" "$findings" "fuzz/corpus/$target" "fuzz/regressions/$target"
echo "== fuzzing $target for $seconds s"
log=build/fuzz/$target.log
status=0
"$root/$binary" "$root/$work" "$root/fuzz/corpus/$target" "$root/fuzz/regressions/$target" \
  -dict="$root/fuzz/kodra.dict" -max_total_time="$seconds" -max_len=16384 -timeout=20 -rss_limit_mb=2048 \
  -artifact_prefix="$root/$findings/$target-" -print_final_stats=1 >"$log" 2>&1 || status=$?
tail -n 30 "$log"
exit "$status"
