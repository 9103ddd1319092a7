#!/usr/bin/env bash
# Runs fuzz targets of a TESSALY_FUZZ build, each for a bounded time:
#   fuzz/run.sh BUILD [SECONDS [TARGET...]]      (default: 60 s, every target)
# Each target's corpus grows in BUILD/fuzz-corpus/<target>, seeded from fuzz/corpus/<target> and
# fuzz/regressions/<target>.
# Inputs that crash, leak, hang or break a property are kept in BUILD/fuzz-findings/<target>/;
# the ones worth keeping for good go to fuzz/regressions/<target>/ (see fuzz/README.md).
# libmdb and FreeXL are not instrumented and can crash on damaged files, so the Jet and Excel
# targets run in fork mode and go on past a crash; their findings are listed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?usage: fuzz/run.sh BUILD [SECONDS [TARGET...]]}
seconds=${2:-60}
shift $(($# < 2 ? $# : 2))
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(ini mdb_import xls_import xlsx_import csv_import sql_dialect)

# Stacks with function names and lines (llvm-14's symbolizer; clang-14 does not bring it).
export ASAN_SYMBOLIZER_PATH=${ASAN_SYMBOLIZER_PATH:-/usr/bin/llvm-symbolizer-14}
# Leaks proven to be inside system libraries are not findings.
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan-suppressions.txt:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

status=0
for target in "${targets[@]}"; do
  corpus="$build/fuzz-corpus/$target"
  findings="$build/fuzz-findings/$target"
  log="$build/fuzz-$target.log"
  mkdir -p "$corpus" "$findings"
  # Seeds: the corpus and the inputs that once failed (files only: library/ holds crashes of
  # libmdb and FreeXL, which would only be found again).
  find fuzz/corpus/"$target" fuzz/regressions/"$target" -maxdepth 1 -type f ! -name '.*' -exec cp -n {} "$corpus"/ \;
  options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$findings/"
           -print_final_stats=1 -print_funcs=0)
  if [ -f "fuzz/$target.dict" ]; then
    options+=(-dict="fuzz/$target.dict")
  fi
  case "$target" in
    mdb_import | xls_import) options+=(-fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1) ;;
  esac
  echo "fuzz: $target for ${seconds}s (log: $log)"
  if ! "$build/fuzz/fuzz_$target" "${options[@]}" "$corpus" >"$log" 2>&1; then
    echo "fuzz: $target stopped on a finding" >&2
    status=1
  fi
  grep -E '^#[0-9]+' "$log" | tail -n 1 || true
  kept=$(find "$findings" -type f | wc -l)
  if [ "$kept" -gt 0 ]; then
    echo "fuzz: $target kept $kept input(s) in $findings"
  fi
done
exit $status
