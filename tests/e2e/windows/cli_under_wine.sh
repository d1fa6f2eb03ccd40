#!/usr/bin/env bash
# quillmark-cli.exe under Wine against the virtual printer through COM1:
# for each command the bytes the printer received and sent, and what the
# program printed, must equal those of the Linux quillmark-cli talking to
# the same printer; and a silent printer must end every read after the
# port's time-out of 3000 ms plus 1 ms per byte asked for.
# Usage: cli_under_wine.sh CLI.EXE VPRINTER LINUX-CLI COM1-LINK
# (the Wine environment comes from scripts/wine-env.sh; COM1 of the prefix
# leads to COM1-LINK).
set -euo pipefail
winecli=$1 vprinter=$2 linuxcli=$3 com1=$4
root="$(cd "$(dirname "$0")/../../.." && pwd)"
. "$root/scripts/wine-env.sh"

work=$(mktemp -d)
printer=""
# Stops the printer once its log has been quiet for a moment: the program
# may end before the printer has read the last of its bytes.
stop_printer() {
  local log=${1:-} size=-1
  for _ in $(seq 50); do
    [ -z "$log" ] && break
    local now
    now=$(stat -c %s "$log" 2>/dev/null || echo 0)
    [ "$now" = "$size" ] && break
    size=$now
    sleep 0.1
  done
  if [ -n "$printer" ]; then kill "$printer" 2>/dev/null || true; wait "$printer" 2>/dev/null || true; fi
  printer=""
}
trap 'stop_printer; rm -rf "$work"' EXIT

# Starts the virtual printer with its log in $1 and a link at $2; the rest
# are its options. Sets $pty.
start_printer() {
  local log=$1 link=$2
  shift 2
  rm -f "$link"
  "$vprinter" --log "$log" --link "$link" "$@" >"$work/printer.out" 2>&1 &
  printer=$!
  for _ in $(seq 100); do
    pty=$(head -n1 "$work/printer.out" 2>/dev/null || true)
    [ -n "$pty" ] && [ -e "$link" ] && return 0
    sleep 0.05
  done
  echo "FAILED: the virtual printer did not start" >&2
  exit 1
}

# The traffic of a log as direction-tagged byte runs, whatever the chunks.
traffic() {
  awk '{ dir = $2; for (i = 4; i <= NF && $i !~ /^\|/; i++) bytes = bytes " " $i;
         if (dir != last && last != "") { print last bytes_prev; bytes_prev = "" }
         bytes_prev = bytes_prev bytes; bytes = ""; last = dir }
       END { if (last != "") print last bytes_prev }' "$1"
}

# Both programs run in the work folder and name the firmware file alike.
cd "$work"
printf ':0400000012345678E8\r\n:00000001FF\r\n' >fw.hex

failures=0
check() {
  local name=$1
  shift
  start_printer "$work/$name.linux.log" "$work/linux-com1"
  "$linuxcli" "$@" --port "$pty" >"$work/$name.linux.out" 2>&1 || true
  stop_printer "$work/$name.linux.log"
  start_printer "$work/$name.win.log" "$com1"
  "$WINE" "$winecli" "$@" >"$work/$name.win.out" 2>&1 || true
  stop_printer "$work/$name.win.log"
  tr -d '\r' <"$work/$name.win.out" >"$work/$name.win.txt"
  if [ ! -s "$work/$name.linux.log" ]; then
    echo "FAILED $name: the printer received nothing"; failures=$((failures + 1))
  elif ! diff <(traffic "$work/$name.linux.log") <(traffic "$work/$name.win.log") >"$work/diff"; then
    echo "FAILED $name: the printer saw other bytes from Windows"; cut -c1-300 "$work/diff"
    failures=$((failures + 1))
  elif ! diff "$work/$name.linux.out" "$work/$name.win.txt" >"$work/diff"; then
    echo "FAILED $name: Windows printed otherwise"; cat "$work/diff"
    failures=$((failures + 1))
  else
    echo "ok $name: $(traffic "$work/$name.win.log" | wc -l) exchanges byte-exact"
  fi
}

check status status
check read-bank-3 settings read-bank 3
check download-firmware download firmware fw.hex
check rfid-get rfid get

# A silent printer: every read waits out 3000 ms plus 1 ms per byte. The
# first inquiry ("^cp", 2 bytes) is read twice before the program gives up,
# and without its answer the others are not asked, as on Linux.
start_printer "$work/silent.log" "$com1" --silent
began=$(date +%s%N)
"$WINE" "$winecli" status >"$work/silent.out" 2>&1 || true
ended=$(date +%s%N)
stop_printer "$work/silent.log"
took=$(((ended - began) / 1000000))
echo "silent printer: status took ${took} ms"
commands=$(awk '$2 == "RX"' "$work/silent.log" | wc -l)
if [ "$commands" -ne 1 ]; then
  echo "FAILED silent: ${commands} commands reached the printer, not 1"
  failures=$((failures + 1))
fi
# Two reads of 3002 ms, and Wine's start-up of the program on top.
want=6004
if [ "$took" -lt "$want" ] || [ "$took" -gt $((want + 4000)) ]; then
  echo "FAILED silent: gave up after ${took} ms, not two time-outs of ${want} ms in all"
  failures=$((failures + 1))
else
  echo "ok silent: gave up after ${took} ms (2 x time-out = ${want} ms, + Wine start-up)"
fi
start_printer "$work/silent-linux.log" "$work/silent-link" --silent
"$linuxcli" status --port "$pty" >"$work/silent-linux.out" 2>&1 || true
stop_printer "$work/silent-linux.log"
if diff <(tr -d '\r' <"$work/silent.out") "$work/silent-linux.out" >/dev/null; then
  echo "ok silent: the same messages as on Linux"
else
  echo "FAILED silent: the messages differ from Linux's:"
  diff <(tr -d '\r' <"$work/silent.out") "$work/silent-linux.out" || true
  failures=$((failures + 1))
fi

[ "$failures" -eq 0 ] || { echo "$failures end-to-end check(s) failed under Wine"; exit 1; }
