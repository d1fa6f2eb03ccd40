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
  label_script_fuzz
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

# Label scripts as the builders and charts compose them, and a stored image.
seeds_label_script_fuzz() {
  local dir="$1"
  printf "SW812\r\nSL1219,15,G\r\nSM40,40\r\nSOB\r\nSD12\r\nT20,20,3,2,2,4,1,R,B,'It\\\\'s'\r\nP3,2\r\n" >"$dir/text.txt"
  printf "V20,20,U,35,35,-5,B,R,I,3,C,1,'vector'\r\nBD10,10,200,40,B,3\r\nBD10,50,90,300,S,8\r\nBD0,0,50,50,D\r\nP\r\n" >"$dir/vector.txt"
  printf "B1100,100,0,2,7,100,0,1,'123456789'\r\nB1100,300,9,2,7,80,1,1,12,'0112345678901231'\r\nP1\r\n" >"$dir/barcode1d.txt"
  printf "B2100,100,Q,2,H,4,1,'AB\r\nCD'\r\nB2300,300,P,30,5,2,0,1,1,3,10,0,'PDF'\r\nB2100,500,M,2,'999,840,06810,7317,MSG'\r\nP1\r\n" >"$dir/barcode2d.txt"
  printf "CS2,6\r\nT20,20,3,1,1,10,0,N,N,'#\$@[]\xC4'\r\nT20,60,n,1,1,0,0,N,N,'\xA4\\\xA4\x40'\r\nP1\r\n" >"$dir/charsets.txt"
  # A 1-bit PCX image of 8 x 2 dots: its 128-byte header, then 3 bytes.
  { printf "IS131,'logo'";
    printf '\x0a\x05\x01\x01\x00\x00\x00\x00\x07\x00\x01\x00'; head -c 53 /dev/zero;
    printf '\x01\x01\x00'; head -c 60 /dev/zero; printf '\x0f\xc1\xff';
    printf "\r\nIR10,10,'logo'\r\nP1\r\n"; } >"$dir/image.txt"
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
