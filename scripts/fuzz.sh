#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) into build-fuzz/ and runs each for SECONDS
# (default 60) over a small seed corpus written here. Any crash, leak or
# sanitizer report fails the script; the input that caused it is kept under
# build-fuzz/artifacts/.
#
# Adding a target: one line in TARGETS below (and its entry in
# fuzz/CMakeLists.txt); a function seeds_<target> DIR may write its seeds.
set -euo pipefail
seconds="${1:-60}"
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${FUZZ_BUILD_DIR:-$root/build-fuzz}"

TARGETS=(
  hex_conversion_fuzz
)

# Small Intel HEX and S-record files of each kind the converter knows.
seeds_hex_conversion_fuzz() {
  local dir="$1"
  printf ':0400000012345678E8\n:00000001FF\n' >"$dir/data.hex"
  printf ':020000021000EC\r\n:0400000012345678E8\r\n' >"$dir/segment.hex"
  printf ':020000040001F9\n:0400100012345678D8\n' >"$dir/linear.hex"
  printf 'S00600004844521B\nS2080000001234567837\n' >"$dir/s2.srec"
  printf 'S30900000100123456782C\n' >"$dir/s3.srec"
  printf ':0400000012345678E9\n\n:02000004FFFFFC\n' >"$dir/bad.hex"
  head -c 512 /dev/urandom >"$dir/random.bin"
  if command -v objcopy >/dev/null; then
    objcopy -I binary -O ihex "$dir/random.bin" "$dir/objcopy.hex"
    objcopy -I binary -O srec "$dir/random.bin" "$dir/objcopy.srec"
  fi
}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DQUILLMARK_FUZZ=ON -DQUILLMARK_TESTS=OFF \
  -DQUILLMARK_BENCH=OFF >/dev/null
targets=()
for t in "${TARGETS[@]}"; do targets+=(--target "$t"); done
cmake --build "$build" -j"$(nproc)" "${targets[@]}"

mkdir -p "$build/artifacts"
for t in "${TARGETS[@]}"; do
  corpus="$build/corpus/$t"
  rm -rf "$corpus"
  mkdir -p "$corpus"
  if declare -F "seeds_$t" >/dev/null; then "seeds_$t" "$corpus"; fi
  echo "== $t: ${seconds}s =="
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "$build/fuzz/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$build/artifacts/$t-" "$corpus" 2>&1 |
    tail -n 25
  status=${PIPESTATUS[0]}
  if [ "$status" -ne 0 ]; then
    echo "$t failed (exit $status)" >&2
    exit 1
  fi
done
