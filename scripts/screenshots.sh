#!/usr/bin/env bash
# Renders every page of the main window under Xvfb to PNG files for people to
# look at (they are not committed). Usage: scripts/screenshots.sh [DIR]
# (default: <build>/screenshots). Needs a build (scripts/test.sh or cmake).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${RUBSO_BUILD_DIR:-build}
out=$(realpath -m "${1:-$build/screenshots}")
mkdir -p "$out"
cmake --build "$build" --target ui_window_tests >/dev/null
RUBSO_SCREENSHOT_DIR="$out" xvfb-run -a -s "-screen 0 1280x900x24" \
  env QT_QPA_PLATFORM=xcb "$build/tests/ui/ui_window_tests" \
  --gtest_filter='ShopScreens/ScreenLayoutTest.*'
ls "$out"
