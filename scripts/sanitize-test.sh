#!/usr/bin/env bash
# Builds the suite with AddressSanitizer + UndefinedBehaviorSanitizer (without the benchmarks)
# and runs it. Every report (memory error, undefined behaviour, leak) is written to a file of
# its own under BUILD/sanitizer-reports as well as failing its process; any file there fails
# the run, including reports of programs that a test starts and whose exit status it ignores.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-asan}

# A unity build: a few large translation units instead of many small ones halve the build, which
# CI runs after the normal one.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSALY_SANITIZE=ON -DTESSALY_BENCH=OFF \
  -DCMAKE_UNITY_BUILD=ON
cmake --build "$build"

reports="$PWD/$build/sanitizer-reports"
rm -rf "$reports"
mkdir -p "$reports"
common="log_path=$reports/report:print_stacktrace=1:halt_on_error=1:abort_on_error=1"
export ASAN_OPTIONS="$common:detect_leaks=1:check_initialization_order=1:strict_init_order=1"
export UBSAN_OPTIONS="$common"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan-suppressions.txt:print_suppressions=0"
# The sanitizer prints the stack; QtTest's own dump attaches gdb to the dying test and can hang it.
export QTEST_DISABLE_STACK_DUMP=1

status=0
(cd "$build" && ctest --output-on-failure) || status=1
if compgen -G "$reports/report*" >/dev/null; then
  echo "sanitize-test: sanitizer reports:" >&2
  cat "$reports"/report* >&2
  status=1
fi
exit $status
