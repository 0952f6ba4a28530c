#!/usr/bin/env bash
# The test command: installs what the build and the tests need on a fresh
# Debian 12 machine, builds with warnings as errors, starts a private
# Firebird server, runs every test, and stops the server again.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh

build=${RUBSO_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRUBSO_WERROR=ON
cmake --build "$build" --parallel "$(nproc)"

# A server of the tests' own: its own port, root and security database.
export RUBSO_FB_ROOT=${RUBSO_FB_ROOT:-$(mktemp -d /tmp/rubso-fb-test.XXXXXX)}
export RUBSO_FB_PORT=${RUBSO_FB_PORT:-3056}
eval "$(./scripts/firebird-server.sh start)"
trap './scripts/firebird-server.sh stop' EXIT

# Every test runs once; a test that fails fails the run.
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)" --timeout 300

# --- Fuzz targets -------------------------------------------------------------
# Built with clang in a build directory of their own and run briefly, each from
# its seeds in fuzz/corpus/ (about two minutes and a quarter from a fresh
# clone on two cores, of which 20 s are the runs; longer runs:
# scripts/fuzz.sh). A crash or a sanitizer report fails the run.
./scripts/fuzz.sh --short
