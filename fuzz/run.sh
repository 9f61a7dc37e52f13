#!/usr/bin/env bash
# `make fuzz`: builds the fuzz targets with clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer in build-fuzz, writes the seed corpora, then runs the
# targets one after the other, each for FUZZ_SECONDS seconds (default 60).
#
#   fuzz/run.sh [target...]          (default: every fuzz/fuzz_*.cpp)
#
# build-fuzz/seeds/<target>       seeds (make-corpus.py), made anew each time
# build-fuzz/corpus/<target>      the corpus grown by the runs, kept between them
# build-fuzz/findings/<target>/   crashes, leaks, timeouts and out-of-memory inputs
# build-fuzz/logs/<target>.log    the fuzzer's output, final statistics at the end
#
# Exits non-zero when any target reports a finding.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(dirname "$here")
build=$source_dir/build-fuzz
seconds=${FUZZ_SECONDS:-60}

if [[ $# -gt 0 ]]; then
  targets=("$@")
else
  targets=()
  for file in "$here"/fuzz_*.cpp; do targets+=("$(basename "$file" .cpp)"); done
fi

# clang and its fuzzer runtime, installed like the other packages when run as root.
if ! command -v clang++ >/dev/null || ! compgen -G "/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a" >/dev/null; then
  install_line="DEBIAN_FRONTEND=noninteractive apt-get install -y clang libclang-rt-dev"
  if [[ $(id -u) -ne 0 ]]; then
    echo "make fuzz needs clang and its fuzzer runtime. Run as root:" >&2
    echo "  apt-get update && $install_line" >&2
    exit 1
  fi
  apt-get update -qq && eval "$install_line" || exit 1
fi

set -e
CC=clang CXX=clang++ cmake -S "$source_dir" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DORVALIS_SANITIZE=ON -DORVALIS_FUZZ=ON >/dev/null
cmake --build "$build" --target "${targets[@]}" orvalis-formc
python3 "$here/make-corpus.py" --formc "$build/tools/orvalis-formc" --out "$build/seeds"
set +e

# Longest input and dictionary for each kind. The PNG step writes a line to standard
# error for each refusal, so its standard error goes to /dev/null (-close_fd_mask=2
# keeps the fuzzer's and the sanitizers' reports).
options_of() {
  case $1 in
    fuzz_form_reader) echo "-max_len=16384 -dict=$here/form_reader.dict" ;;
    fuzz_form_source) echo "-max_len=16384 -dict=$here/form_source.dict" ;;
    fuzz_png) echo "-max_len=32768 -dict=$here/png.dict -close_fd_mask=2" ;;
    fuzz_jpeg) echo "-max_len=32768 -dict=$here/jpeg.dict" ;;
    fuzz_bmp) echo "-max_len=32768 -dict=$here/bmp.dict" ;;
    *) echo "fuzz: no options known for $1" >&2; exit 2 ;;
  esac
}

failed=()
for target in "${targets[@]}"; do
  corpus=$build/corpus/$target
  findings=$build/findings/$target
  log=$build/logs/$target.log
  mkdir -p "$corpus" "$findings" "$build/logs"
  before=$(find "$findings" -type f | wc -l)
  echo "fuzz: $target for ${seconds}s (log: $log)"
  # shellcheck disable=SC2046  # the options are words
  "$build/fuzz/$target" "$corpus" "$build/seeds/$target" $(options_of "$target") \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$findings/" >"$log" 2>&1
  status=$?
  after=$(find "$findings" -type f | wc -l)
  grep -E '^(stat::|Done )' "$log" | sed 's/^/  /'
  if [[ $status -ne 0 || $after -gt $before ]]; then
    echo "fuzz: $target FAILED (exit $status), findings in $findings:" >&2
    grep -E '^(==[0-9]+==ERROR|SUMMARY|artifact_prefix|fuzz_[a-z_]+: )' "$log" | sed 's/^/  /' >&2
    failed+=("$target")
  fi
done

if [[ ${#failed[@]} -gt 0 ]]; then
  echo "fuzz: findings in ${failed[*]}" >&2
  exit 1
fi
echo "fuzz: no finding in ${targets[*]} (${seconds}s each)"
