#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite: once on the release build,
# once under AddressSanitizer and UndefinedBehaviorSanitizer. GUI tests run under Xvfb.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

run_ctest() {
  local build=$1
  (cd "$build" && xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j 2)
}

bash "$here/scripts/setup.sh"
run_ctest "$here/build"

if [ "${AGIM_SKIP_SANITIZE:-0}" != "1" ]; then
  bash "$here/scripts/setup.sh" --sanitize
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 run_ctest "$here/build-asan"
fi
