#!/usr/bin/env bash
# `make valgrind`: the viewer's tests (tests/app: its rules, its loaders on real files,
# and the real viewer, forms, windows and loop, on the headless backend under a scripted
# user) run under valgrind's memcheck, from a Debug build of their own in build-valgrind.
#
#   scripts/valgrind-viewer.sh [gtest filter]      (default: every test of app_tests)
#
# Fails on any memory error and on any block definitely or indirectly lost. Blocks that
# libraries outside the program keep for the life of the process are suppressed in
# tests/valgrind.supp, each with the reason. The full report is left in
# build-valgrind/valgrind-app_tests.log.
set -uo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=$source_dir/build-valgrind
filter=${1:-*}

if ! command -v valgrind >/dev/null; then
  echo "valgrind-viewer needs valgrind. Run as root: apt-get install -y valgrind" >&2
  exit 1
fi

set -e
cmake -S "$source_dir" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVALIS_BUILD_TESTS=ON >/dev/null
cmake --build "$build" -j2 --target app_tests
set +e

log=$build/valgrind-app_tests.log
echo "valgrind: app_tests --gtest_filter=$filter (log: $log)"
# The tests work in folders of their own under the current one (the build's test folder,
# as under ctest).
cd "$build/tests/app" || exit 1
valgrind --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite,indirect \
  --show-leak-kinds=definite,indirect,possible --track-origins=yes --num-callers=30 \
  --suppressions="$source_dir/tests/valgrind.supp" --log-file="$log" \
  ./app_tests --gtest_filter="$filter" --gtest_brief=1
status=$?

grep -E '(definitely|indirectly|possibly) lost:|ERROR SUMMARY' "$log" | sed 's/^==[0-9]*== */  /'
if [[ $status -ne 0 ]]; then
  echo "valgrind: app_tests FAILED (exit $status): tests failed or memcheck found errors, see $log" >&2
  exit 1
fi
echo "valgrind: no error and no leak in app_tests"
