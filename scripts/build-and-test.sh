#!/usr/bin/env bash
# Installs what is needed, builds, starts the CUPS test printer and runs every test through CTest.
# Usage: scripts/build-and-test.sh [--sanitize]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
dir=$(scripts/build.sh --werror "$@")
# Tests see the user's default printer as CUPS sets it, not one chosen by the environment.
unset PRINTER LPDEST
scripts/test-printer.sh start
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
