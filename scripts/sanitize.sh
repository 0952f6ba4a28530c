#!/usr/bin/env bash
# The whole test suite under AddressSanitizer and UndefinedBehaviorSanitizer:
#   scripts/sanitize.sh [gcc|clang]        (gcc unless told)
# Builds in build-asan-<compiler>/ (RUBSO_ASAN_BUILD_DIR to change it), starts
# a private Firebird server and runs every test once. A memory fault, a leak
# or undefined behaviour fails the test that meets it; only the Firebird
# client library's leaks are let through (scripts/lsan-suppressions.txt).
# Takes far longer than the test command; not part of it.
set -euo pipefail
cd "$(dirname "$0")/.."

compiler=${1:-gcc}
case $compiler in
  gcc) export CC=gcc CXX=g++ ;;
  clang) export CC=clang CXX=clang++ ;;
  *) echo "usage: $0 [gcc|clang]" >&2; exit 2 ;;
esac
build=${RUBSO_ASAN_BUILD_DIR:-build-asan-$compiler}

# Also for the test executables the build runs to list their tests.
export ASAN_OPTIONS=detect_leaks=1:check_initialization_order=1:strict_init_order=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan-suppressions.txt:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRUBSO_WERROR=ON \
  -DRUBSO_ASAN=ON -DRUBSO_BUILD_BENCH=OFF "${launcher[@]}"
cmake --build "$build" --parallel "$(nproc)"

export RUBSO_FB_ROOT=${RUBSO_FB_ROOT:-$(mktemp -d /tmp/rubso-fb-asan.XXXXXX)}
export RUBSO_FB_PORT=${RUBSO_FB_PORT:-3057}
eval "$(./scripts/firebird-server.sh start)"
trap './scripts/firebird-server.sh stop' EXIT

# The sanitizers slow every test down several times: a longer time-out.
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)" --timeout 900
