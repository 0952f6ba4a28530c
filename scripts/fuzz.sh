#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs them (see fuzz/README.md).
#   scripts/fuzz.sh [--seconds N] [TARGET...]   long runs, N seconds each (300)
#   scripts/fuzz.sh --short [TARGET...]         the test command's bounded run
# Every target of fuzz/ runs unless some are named. A long run works on a
# corpus kept in <build>/corpus/<target>, started from the seeds in
# fuzz/corpus/<target>; what it finds stays there for the next run (copy an
# input that found a fault into fuzz/corpus/ to keep it). A short run starts
# from the seeds alone, tries a fixed number of inputs with a fixed random
# seed and keeps nothing, so it goes the same way every time.
# An input that crashes a target, breaks a sanitizer's rule or hangs it stops
# the run and fails the script; it is written to <build>/crashes/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=300
short=false
targets=()
while [ $# -gt 0 ]; do
  case $1 in
    --short) short=true ;;
    --seconds) seconds=$2; shift ;;
    -*) echo "usage: $0 [--short | --seconds N] [TARGET...]" >&2; exit 2 ;;
    *) targets+=("$1") ;;
  esac
  shift
done

# Inputs of a short run: a few seconds per target on a two-core machine.
declare -A short_runs=(
  [fuzz_desktop_journal]=2500
  [fuzz_desktop_table]=6000
  [fuzz_goods_list]=40000
  [fuzz_ini_file]=400
  [fuzz_koment]=1200
  [fuzz_receipts]=20000
  [fuzz_sales_read]=30000
  [fuzz_sim_input]=20000
  [fuzz_sim_memory]=40000
  [fuzz_sql_script]=5000
  [fuzz_text_utils]=8000
)
[ ${#targets[@]} -gt 0 ] || targets=($(printf '%s\n' "${!short_runs[@]}" | sort))

build=${RUBSO_FUZZ_BUILD_DIR:-build-fuzz}
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DRUBSO_WERROR=ON -DRUBSO_FUZZ=ON -DRUBSO_BUILD_TESTS=OFF -DRUBSO_BUILD_BENCH=OFF \
  "${launcher[@]}" >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target "${targets[@]}"

mkdir -p "$build/crashes"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for target in "${targets[@]}"; do
  seeds=fuzz/corpus/$target
  [ -d "$seeds" ] || { echo "no seed corpus $seeds" >&2; exit 1; }
  options=(-timeout=10 -artifact_prefix="$build/crashes/$target-" -print_final_stats=1)
  if $short; then
    corpus=$work/$target
    options+=(-runs="${short_runs[$target]}" -seed=1)
  else
    corpus=$build/corpus/$target
    options+=(-max_total_time="$seconds")
  fi
  mkdir -p "$corpus"
  echo "== $target"
  start=$SECONDS
  if ! "$build/fuzz/$target" "${options[@]}" "$corpus" "$seeds" >"$work/$target.log" 2>&1; then
    cat "$work/$target.log"
    echo "$target: failed; the input is in $build/crashes/" >&2
    exit 1
  fi
  grep -E '^stat::(number_of_executed_units|peak_rss_mb)|^#[0-9]+[[:space:]]+DONE' "$work/$target.log" || true
  echo "$target: $((SECONDS - start)) s"
done
