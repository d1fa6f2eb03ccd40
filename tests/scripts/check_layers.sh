#!/usr/bin/env bash
# The folders' layers, from the bottom: base, link, ui (what every window
# shares), preview, the subsystems, then monitor (which reads every
# subsystem's tables to say what the bytes mean) and profile (which spans
# settings and rfid), neither including the other; app and cli on top, sim
# beside them. A
# folder includes only from the layers below it and from itself; subsystems
# reach one another only through what the app hands them. Lists every
# include that breaks this and fails if there is one.
set -uo pipefail
root="$1"

declare -A layer=(
  [base]=0 [link]=1 [ui]=2 [preview]=3
  [status]=4 [tester]=4 [download]=4 [settings]=4 [calibration]=4 [rfid]=4
  [monitor]=5 [profile]=5
  [app]=6 [cli]=6 [sim]=6
)

bad=0
while IFS= read -r hit; do
  file="${hit%%:*}"
  rest="${hit#*:}"
  line="${rest%%:*}"
  text="${rest#*:}"
  rel="${file#"$root"/}"
  from="${rel#src/}"
  from="${from%%/*}"
  to=""
  [[ "$text" =~ \"([A-Za-z0-9_]+)/ ]] && to="${BASH_REMATCH[1]}"
  [ "$from" = "$to" ] && continue
  if [ -z "${layer[$from]+x}" ]; then
    echo "$rel:$line: folder '$from' has no layer; add it to $0"
    bad=1
  elif [ -z "${layer[$to]+x}" ]; then
    echo "$rel:$line: includes '$to/', which is no folder of the tool"
    bad=1
  elif (( layer[$to] >= layer[$from] )); then
    echo "$rel:$line: '$from' includes '$to/', which is not below it:$text"
    bad=1
  fi
done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[A-Za-z0-9_]+/' \
           --include='*.h' --include='*.cpp' --include='*.in' "$root/src" "$root/sim")

[ "$bad" = 0 ] && echo "every folder includes only from the layers below it"
exit "$bad"
