#!/usr/bin/env bash
# qenprops is killed (SIGKILL) while it saves a large preset, many times; the preset must always be the whole
# old document or the whole new one, and the next run must leave no temporary file behind.
# usage: qenprops_crash_test.sh QENPROPS SCRATCH_DIR [KILLS]
#
# The panel holds a few long texts, so each save writes about 130 KB. Each round flips one bool with
# `--preset presets/p.json set Flag=...` and kills the process: every other round the moment a temporary file
# of the preset appears (in the middle of the save), the others after a random delay within a run's length.
# After the kill the preset must be byte for byte the document of one of the two states. A full run then
# flips the bool again, and afterwards nothing but p.json may be in the preset's directory.
set -uo pipefail
tool=$1
work=$2
kills=${3:-20}
rm -rf "$work" && mkdir -p "$work/presets" && cd "$work" || exit 2

{
  printf '{"title": "Large", "version": "1", "properties": [\n'
  printf '  {"name": "Flag", "kind": "bool", "id": 1, "default": true}'
  long=$(head -c 16384 /dev/zero | tr '\0' 'x')
  for i in $(seq 1 8); do
    printf ',\n  {"name": "T%d", "kind": "text", "id": %d, "default": "%d-%s"}' "$i" $((100 + i)) "$i" "$long"
  done
  printf '\n]}\n'
} >panel.json

run() { "$tool" --panel panel.json --preset presets/p.json set "Flag=$1" >/dev/null 2>>errors.txt; }
# The two documents a save can leave, each made by a full run.
run FALSE && cp presets/p.json false.json && run TRUE && cp presets/p.json true.json ||
  { echo "FAIL: a full run failed: $(cat errors.txt)"; exit 1; }
cmp -s false.json true.json && { echo "FAIL: the two states save the same document"; exit 1; }
start=$(date +%s%N)
run FALSE
run_ns=$(($(date +%s%N) - start))
state=FALSE

temp_present() { compgen -G 'presets/.p.json.tmp-*' >/dev/null || [ -e presets/p.json.tmp ]; }
strays() { find presets -mindepth 1 ! -name p.json | head -n 3; }

failures=0
mixed=0
mid_save=0
leftovers=0
for round in $(seq 1 "$kills"); do
  next=$([ "$state" = TRUE ] && echo FALSE || echo TRUE)
  "$tool" --panel panel.json --preset presets/p.json set "Flag=$next" >/dev/null 2>&1 &
  pid=$!
  if [ $((round % 2)) -eq 1 ]; then
    while kill -0 "$pid" 2>/dev/null && ! temp_present; do :; done
  else
    sleep "$(awk -v seed="$RANDOM" -v ns="$run_ns" 'BEGIN { srand(seed); printf "%.3f", rand() * ns / 1e9 }')"
  fi
  kill -9 "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  temp_present && mid_save=$((mid_save + 1))

  if cmp -s presets/p.json true.json; then
    state=TRUE
  elif cmp -s presets/p.json false.json; then
    state=FALSE
  else
    mixed=$((mixed + 1))
    cp presets/p.json "mixed-$round.json" 2>/dev/null
    echo "FAIL: round $round: the preset is neither the old nor the new document"
    failures=$((failures + 1))
    cp "$(echo "$state" | tr 'A-Z' 'a-z').json" presets/p.json
  fi

  next=$([ "$state" = TRUE ] && echo FALSE || echo TRUE)
  if ! run "$next"; then
    echo "FAIL: round $round: the run after the kill failed: $(tail -n 1 errors.txt)"
    failures=$((failures + 1))
  elif ! cmp -s presets/p.json "$(echo "$next" | tr 'A-Z' 'a-z').json"; then
    echo "FAIL: round $round: the run after the kill did not save its change"
    failures=$((failures + 1))
  fi
  state=$next
  if [ -n "$(strays)" ]; then
    leftovers=$((leftovers + 1))
    echo "FAIL: round $round: left beside the preset after the next run: $(strays)"
    failures=$((failures + 1))
    find presets -mindepth 1 ! -name p.json -delete
  fi
done

echo "$kills kills ($mid_save in the middle of a save): $mixed mixed documents, $leftovers rounds with" \
  "temporary files left after the next run"
if [ "$mid_save" -eq 0 ]; then
  echo "FAIL: no kill landed in the middle of a save"
  failures=$((failures + 1))
fi
[ "$failures" -eq 0 ] || exit 1
echo "every kill left the old or the new document"
