#!/usr/bin/env bash
# Many qenprops processes change one preset file at the same time; none of their updates may be lost.
# usage: qenprops_concurrency_test.sh QENPROPS SCRATCH_DIR [CHAINS] [ROUNDS]
#
# CHAINS chains run side by side, each owning two properties of the panel (A<c> and B<c>). In round r a chain
# starts a pair of processes together, `--preset p.json set A<c>=r` and `--preset p.json set B<c>=r`, so
# CHAINS x ROUNDS pairs run in all, CHAINS of them at any time. Only chain c writes A<c> and B<c>, so after a
# round their values must be r until the chain's next round, which checks them first. Another process that
# read the file before a write and wrote it back after would undo the write, so every lost update is counted.
# A reader meanwhile checks that p.json is always a whole JSON document, and every process must exit 0.
set -uo pipefail
tool=$1
work=$2
chains=${3:-8}
rounds=${4:-25}
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 2

{
  printf '{"title": "Counters", "version": "1", "properties": [\n'
  for c in $(seq 1 "$chains"); do
    [ "$c" -gt 1 ] && printf ',\n'
    printf '  {"name": "A%d", "kind": "long", "id": %d, "min": 0, "max": 1000000, "default": 0},\n' "$c" "$c"
    printf '  {"name": "B%d", "kind": "long", "id": %d, "min": 0, "max": 1000000, "default": 0}' "$c" $((c + 1000))
  done
  printf '\n]}\n'
} >panel.json
"$tool" --panel panel.json --preset p.json set A1=0 >/dev/null || { echo "FAIL: the first write failed"; exit 1; }

# values C: "A<C>=x B<C>=y" as p.json holds them now, or "unreadable".
values() {
  jq -r --arg a "A$1" --arg b "B$1" \
    '[.entries[] | select(.name == $a or .name == $b) | "\(.name)=\(.value)"] | sort | join(" ")' p.json \
    2>/dev/null || echo unreadable
}

# chain C: the rounds of one chain; writes its lost updates and failed processes to chain-C.txt. Only the chain
# writes its properties, so a value it wrote that another process undid stays undone until the chain's next
# round: the check before that round (or the last check) always sees it.
chain() {
  local c=$1 r lost=0 failed=0 now pa pb
  for r in $(seq 1 $((rounds + 1))); do
    if [ "$r" -gt 1 ]; then
      now=" $(values "$c") "
      [[ "$now" == *" A$c=$((r - 1)) "* ]] || lost=$((lost + 1))
      [[ "$now" == *" B$c=$((r - 1)) "* ]] || lost=$((lost + 1))
    fi
    [ "$r" -gt "$rounds" ] && break
    "$tool" --panel panel.json --preset p.json set "A$c=$r" >/dev/null 2>>"errors-$c.txt" &
    pa=$!
    "$tool" --panel panel.json --preset p.json set "B$c=$r" >/dev/null 2>>"errors-$c.txt" &
    pb=$!
    # The exit status goes with the messages: a process that fails without a word still says how it ended.
    wait "$pa" || { echo "set A$c=$r: exit $?" >>"errors-$c.txt" && failed=$((failed + 1)); }
    wait "$pb" || { echo "set B$c=$r: exit $?" >>"errors-$c.txt" && failed=$((failed + 1)); }
  done
  echo "$lost $failed" >"chain-$c.txt"
}

# The reader: until the writers are done, every look at p.json must find a whole document.
(
  checks=0
  bad=0
  while [ ! -e writers.done ]; do
    if ! jq -e '.entries | length > 0' p.json >/dev/null 2>&1; then
      bad=$((bad + 1))
      cp p.json "invalid-$bad.json" 2>/dev/null
    fi
    checks=$((checks + 1))
    sleep 0.02
  done
  echo "$checks $bad" >reader.txt
) &
reader=$!

start=$(date +%s.%N)
pids=()
for c in $(seq 1 "$chains"); do
  chain "$c" &
  pids+=($!)
done
wait "${pids[@]}"
end=$(date +%s.%N)
touch writers.done
wait "$reader"

lost=0
failed=0
for c in $(seq 1 "$chains"); do
  read -r l f <"chain-$c.txt" || { l=$((rounds * 2)); f=0; }
  lost=$((lost + l))
  failed=$((failed + f))
done
read -r checks bad <reader.txt
strays=$(find . -maxdepth 1 -name '*p.json?*' | grep -c . || true)
echo "$((chains * rounds)) pairs ($((chains * rounds * 2)) processes), $chains pairs at a time, in" \
  "$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f", b - a }') s: $lost lost updates, $failed failed" \
  "processes, $bad invalid reads of $checks, $strays stray files"

failures=0
if [ "$failed" -ne 0 ]; then
  echo "FAIL: $failed processes did not exit 0, for example:"
  cat errors-*.txt | sort | uniq -c | sort -rn | head -n 3
  failures=$((failures + 1))
fi
[ "$bad" -eq 0 ] || { echo "FAIL: the reader found p.json no whole document $bad times"; failures=$((failures + 1)); }
[ "$lost" -eq 0 ] || { echo "FAIL: $lost updates were lost"; failures=$((failures + 1)); }
if [ "$strays" -ne 0 ]; then
  echo "FAIL: files were left beside the preset: $(find . -maxdepth 1 -name '*p.json?*' | head -n 3)"
  failures=$((failures + 1))
fi
[ "$failures" -eq 0 ] || exit 1
echo "no update was lost"
