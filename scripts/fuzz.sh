#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) into build-fuzz/ and runs each for SECONDS
# (default 60) over a small seed corpus written here; CI gives each 15 s. Any crash, leak or
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
  printer_reply_fuzz
  script_file_fuzz
  virtual_printer_fuzz
  profile_file_fuzz
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

# A 1-bit PCX image of 8 x 2 dots: its 128-byte header, then 3 bytes.
pcx_8x2() {
  printf '\x0a\x05\x01\x01\x00\x00\x00\x00\x07\x00\x01\x00'; head -c 53 /dev/zero
  printf '\x01\x01\x00'; head -c 60 /dev/zero; printf '\x0f\xc1\xff'
}

# Label scripts as the builders and charts compose them, and a stored image.
seeds_label_script_fuzz() {
  local dir="$1"
  printf "SW812\r\nSL1219,15,G\r\nSM40,40\r\nSOB\r\nSD12\r\nT20,20,3,2,2,4,1,R,B,'It\\\\'s'\r\nP3,2\r\n" >"$dir/text.txt"
  printf "V20,20,U,35,35,-5,B,R,I,3,C,1,'vector'\r\nBD10,10,200,40,B,3\r\nBD10,50,90,300,S,8\r\nBD0,0,50,50,D\r\nP\r\n" >"$dir/vector.txt"
  printf "B1100,100,0,2,7,100,0,1,'123456789'\r\nB1100,300,9,2,7,80,1,1,12,'0112345678901231'\r\nP1\r\n" >"$dir/barcode1d.txt"
  printf "B2100,100,Q,2,H,4,1,'AB\r\nCD'\r\nB2300,300,P,30,5,2,0,1,1,3,10,0,'PDF'\r\nB2100,500,M,2,'999,840,06810,7317,MSG'\r\nP1\r\n" >"$dir/barcode2d.txt"
  printf "CS2,6\r\nT20,20,3,1,1,10,0,N,N,'#\$@[]\xC4'\r\nT20,60,n,1,1,0,0,N,N,'\xA4\\\xA4\x40'\r\nP1\r\n" >"$dir/charsets.txt"
  { printf "IS131,'logo'"; pcx_8x2; printf "\r\nIR10,10,'logo'\r\nP1\r\n"; } >"$dir/image.txt"
  # The image decoder reads the whole input too: PCX files of each kind it takes.
  pcx_8x2 >"$dir/mono.pcx"
  pcx_8bit_2x2 >"$dir/colour.pcx"
}

# An 8-bit PCX of 2 x 2 dots, run-length encoded, with its 256-colour palette.
pcx_8bit_2x2() {
  printf '\x0a\x05\x01\x08\x00\x00\x00\x00\x01\x00\x01\x00'; head -c 53 /dev/zero
  printf '\x01\x02\x00'; head -c 60 /dev/zero
  printf '\xc2\x00\x01\xff'
  printf '\x0c'; head -c 3 /dev/zero; head -c 765 /dev/zero | tr '\0' '\377'
}

# Printer replies. The first byte picks the reader: its value modulo 5 is
# status, memory bank, RFID inquiry, RFID tag read or sensing histogram, and
# the value divided by 5 the variant (status command, inquiry number, data
# type, sensing type).
seeds_printer_reply_fuzz() {
  local dir="$1"
  printf '\x00\x00\x00' >"$dir/status-cp-ok.bin"
  printf '\x00\x81\x40' >"$dir/status-cp-flags.bin"
  printf '\x05\x80' >"$dir/status-cu-paper.bin"
  printf '\x0a01\r\n' >"$dir/status-error-code.bin"
  printf '\x0a01' >"$dir/status-error-short.bin"
  printf '\x0f\x01' >"$dir/status-cps.bin"
  printf '\x01QM-200 V1.02A\r\n' >"$dir/bank-identity.bin"
  printf '\x01203 DPI\x00junk after the end' >"$dir/bank-info.bin"
  printf '\x0135\r\n' >"$dir/bank-temperature.bin"
  printf '\x02GEN2\r\n' >"$dir/rfid-inquiry-1.bin"
  printf '\x0718\r\n' >"$dir/rfid-inquiry-2.bin"
  printf '\x0c  F0\r\n' >"$dir/rfid-inquiry-3.bin"
  printf '\x11-3\r\n' >"$dir/rfid-inquiry-4.bin"
  printf '\x1f00012\x00' >"$dir/rfid-inquiry-7.bin"
  printf '\x03\x04\x04A0B1C2D3' >"$dir/rfid-read-hex.bin"
  printf '\x08\x0a\x03xyz' >"$dir/rfid-read-ascii.bin"
  printf '\x03\x00\x09A0B1' >"$dir/rfid-read-short.bin"
  # Gap media: labels low, gaps high; black marks: the other way round.
  { printf '\x04'; head -c 4 /dev/zero; printf '\xf4\x01\x20\x03'; head -c 32 /dev/zero;
    printf '\x3c\x00\x50\x00'; head -c 20 /dev/zero; } >"$dir/sensing-gap.bin"
  { printf '\x09'; head -c 8 /dev/zero; printf '\x30\x00'; head -c 42 /dev/zero;
    printf '\xe8\x03\x00\x02'; head -c 8 /dev/zero; } >"$dir/sensing-mark.bin"
  { printf '\x09'; head -c 64 /dev/zero; } >"$dir/sensing-empty.bin"
}

# Load's input: scripts with CR LF, bare LF and a binary tail.
seeds_script_file_fuzz() {
  local dir="$1"
  printf 'SW812\r\nSL1219,15,G\r\nP1\r\n' >"$dir/crlf.txt"
  printf 'SW812\nSL1219,15,G\nP1\n' >"$dir/lf.txt"
  printf '\nP1\r\n\r\n\n' >"$dir/mixed.txt"
  printf 'P1\r\n\x00\x01\x02binary tail\n' >"$dir/binary-tail.txt"
}

# Profile files as Back up writes them, one partial, one from a newer
# version with fields this one does not know, and broken ones.
seeds_profile_file_fuzz() {
  local dir="$1"
  printf '%s' '{"format":"quillmark printer profile","version":1,"printer":{"model name":"QL-412","model type":"QL-412 TT","firmware version":"V1.33"},"banks":{"1":{"raw":0,"code page":0},"2":{"raw":97,"data length":"8","hand shake":"Software","parity check":"No Parity","parity":"Even","stop bit":"1 Stop Bit","baud rate":"57600"},"3":{"raw":0,"ics":0,"print speed":"Default"},"4":{"raw":0,"print strobe":"2","gap detect position":"lower"}},"identity":{"hardware version":"1.00","serial number":"QL41200001","printer ID":"QLP-01"},"rfid":{"tag type":"GEN2","writing power":"0","transponder position":"600","number of retry":3,"number of label":2,"raw":{"tag type code":5,"writing power":1,"transponder position":"600","number of retry":3,"number of label":2}},"missing":[]}' >"$dir/whole.json"
  printf '%s' '{"format":"quillmark printer profile","version":1,"printer":{"model name":"QL-412"},"banks":{"2":{"raw":97,"flow":"xon"}},"identity":{"printer ID":"QLP-01"},"rfid":null,"missing":["bank 1","RFID settings"],"later":[1,2]}' >"$dir/partial.json"
  printf '%s' '{"format":"quillmark printer profile","version":2,"banks":{"1":{"raw":300}}}' >"$dir/newer.json"
  printf '%s' '{"format":"quillmark printer profile","version":1,"banks":{"1":{"raw":"GG"}},"rfid":{"raw":{"tag type code":7,"writing power":0}}}' >"$dir/broken.json"
}

# What the tool writes, family by family, and a batch of them in one go. The
# first byte sets the chunk size (high nibble) and the reply faults (low).
seeds_virtual_printer_fuzz() {
  local dir="$1"
  printf '\x00^cp\r^ee\r^cu\r' >"$dir/status.bin"
  printf '\x30^CU\r^cuX\rT10,^cu\rcps\r' >"$dir/status-mixed.bin"
  printf '\x01^cp\r^Q25,3\r\n^ee\r\nP1\r\nCPS\r^W50\r^cu\r' >"$dir/status-truncated.bin"
  printf '\x00^MBR3,1^MBR1,1^MBS3,\xc0\r^MBA\x03\r' >"$dir/bank.bin"
  printf '\x10^MBY1,SN-0042\r^MBX1\r^MBU0,400\r^MBU5,-3\r^PI0^PI4,0' >"$dir/bank-identity.bin"
  printf '\x00>RFS,5,3,2,1\r>RFTP,600\r>RFI,1\r>RFI,2\r>RFI,3\r>RFI,4\r>RFI,5\r>RFI,6\r>RFI,7\r' >"$dir/rfid-settings.bin"
  printf "\\x20>RFW,H,4,4,'A0b1C2D3'\\r>RFR,H,4,4,S\\r>RFR,A,10,3,S\\r\\n>RFW,U,0,2,'BEEF'\\r" >"$dir/rfid-data.bin"
  printf "\\x00>RFZ,'5C2A7E91,5C2A7E91,12345678,87654321'\\r>RFLP,L,'08,02,00'\\r>RFLK\\r>RFUL\\r>RFKL\\r" >"$dir/rfid-security.bin"
  printf '\x02^MXd,800,B\r^MXs,144,7\r^MXc\r^MA8,16,1500\r^MA5,30,\r^MAC\r' >"$dir/calibration.bin"
  printf '\x00\x1d\x02\x12\x34\x1b#mk' >"$dir/firmware-header.bin"
  printf '\x00\x1c\x1cMS,4,\x01\x02\x03\x04' >"$dir/factory-font.bin"
  printf "\\x00DS8,2,3,0,'N'ABCDEF\\r\\nDD'N'DI\\r\\nDI\\r\\nDD*DI\\r\\n" >"$dir/soft-font.bin"
  printf "\\x00T20,20,N,1,1,0,0,N,N,'ABC123'\\r\\nP1\\r\\n" >"$dir/soft-font-test.bin"
  { printf "\\x00IS131,'logo'"; pcx_8x2; printf "\\r\\nIR10,10,'logo'\\r\\nP1\\r\\nID'logo'II\\r\\n"; } >"$dir/image.bin"
  printf '\x00^Q25,3\r\n^W50\rE\nP1\r\n\r\nP\r\nP3,2\r\nPRINT\r\nP1 \r\nAB' >"$dir/label.bin"
  # A sensing scan of 42 million dots: the printer once sampled every one.
  base64 -d <<<'Al5NWGQsNDI0MjI0MjYsQg1A/wMEAkFgNixCDUD/AwQCQWAN' >"$dir/long-scan.bin"
  # Once answered differently when the CR came in a later piece.
  { printf '\x10^MBY1,SN-00'; head -c 110 /dev/zero | tr '\0' '\377'; printf '42\r^MBX1\r'; } >"$dir/overlong-identity.bin"
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
