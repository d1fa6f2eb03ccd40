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

# A silent printer: every read waits out 3000 ms plus 1 ms per byte; the
# next command follows after the window's own pause.
start_printer "$work/silent.log" "$com1" --silent
began=$(date +%s%N)
"$WINE" "$winecli" status >"$work/silent.out" 2>&1 || true
ended=$(date +%s%N)
stop_printer "$work/silent.log"
echo "silent printer: status took $(((ended - began) / 1000000)) ms"
# Gaps between the commands the printer received: the window reads a reply
# twice before it gives up, so each gap is two of the read's time-outs for
# the reply length asked, plus the pause before the next command.
awk '$2 == "RX" { if (t != "") printf "%.0f\n", ($1 - t) * 1000; t = $1 }' "$work/silent.log" \
  >"$work/gaps"
expected=(6004 6002 6002)  # "^cp" asks for 2 bytes, "^cu" and "CPS" for 1
i=0
while read -r gap; do
  want=${expected[$i]:-3000}
  if [ "$gap" -lt "$want" ] || [ "$gap" -gt $((want + 400)) ]; then
    echo "FAILED silent: two reads ended after ${gap} ms, not ${want} ms and the pause"
    failures=$((failures + 1))
  else
    echo "ok silent: command $((i + 1)) gave up after ${gap} ms (2 x time-out = ${want} ms, + pause)"
  fi
  i=$((i + 1))
done <"$work/gaps"
[ "$i" -ge 3 ] || { echo "FAILED silent: only $((i + 1)) commands reached the printer"; failures=$((failures + 1)); }

[ "$failures" -eq 0 ] || { echo "$failures end-to-end check(s) failed under Wine"; exit 1; }
