#!/usr/bin/env bash
# Runs fuzz targets one after another, each for SECONDS, and fails if any of them finds a
# crash, a sanitizer report, a violated check, a hang or a leak.
#   fuzz/run-fuzzers.sh BUILD_DIR SECONDS [TARGET...]
# New inputs go to BUILD_DIR/corpus/TARGET (the committed seeds in fuzz/corpus stay as they
# are), findings to BUILD_DIR/artifacts, the full output to BUILD_DIR/logs/TARGET.log.
set -uo pipefail
build=$1
seconds=$2
shift 2
root=$(cd "$(dirname "$0")/.." && pwd)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(land_file turn_file palette_file load_bmp bmp_differential editor_session)

max_len() {
  case $1 in
    turn_file) echo 8192 ;;
    palette_file | editor_session) echo 2048 ;;
    *) echo 4096 ;;
  esac
}

mkdir -p "$build/artifacts" "$build/logs"
failed=()
for target in "${targets[@]}"; do
  mkdir -p "$build/corpus/$target"
  log="$build/logs/$target.log"
  echo "fuzz_$target: ${seconds}s"
  "$build/fuzz/fuzz_$target" "$build/corpus/$target" "$root/fuzz/corpus/$target" \
    -max_total_time="$seconds" -max_len="$(max_len "$target")" -timeout=30 \
    -artifact_prefix="$build/artifacts/$target-" -print_final_stats=1 >"$log" 2>&1
  status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  echo "  ${runs:-?} runs, ${rate:-?} per second"
  if [ $status -ne 0 ]; then
    failed+=("$target")
    grep -E -m 5 'ERROR|FUZZ_CHECK|runtime error|Test unit written' "$log" | sed 's/^/  /'
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "Findings in: ${failed[*]} (see $build/logs and $build/artifacts)"
  exit 1
fi
