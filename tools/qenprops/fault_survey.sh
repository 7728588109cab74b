#!/usr/bin/env bash
# fault_survey.sh QENPROPS [SCRATCH_DIR]: tries the qenprops tool with bad inputs and faults, the way a new user
# or a hostile file would, and counts how each one ends: crash (killed by a signal), hang (no answer within the
# time limit), lost (data lost or corrupted: a file overwritten, a value changed that should not have, an entry
# dropped), unclean (no data lost, but a bad input accepted, a misleading code or output) or clean.
#
# It judges behaviour only (exit status, files, the values the tool shows), never the wording of messages, so
# the same list runs against any version of the tool. Prints one line per case and a summary; exits 0.
set -uo pipefail
tool=$(realpath "$1")
work=${2:-$(mktemp -d)}
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 2
limit=${QEN_SURVEY_SECONDS:-30}

declare -A count=([crash]=0 [hang]=0 [lost]=0 [unclean]=0 [clean]=0)
total=0

# run ARGS...: the tool with a time limit; stdout in out.txt, stderr in err.txt, status in $status.
run() { timeout "$limit" "$tool" "$@" >out.txt 2>err.txt; status=$?; }
# verdict CLASS CASE [DETAIL]: records one case. A signal or a timeout overrides what the case judged.
verdict() {
  local class=$1
  if [ "$status" -eq 124 ]; then
    class=hang
  elif [ "$status" -ge 128 ]; then
    class=crash
  fi
  count[$class]=$((count[$class] + 1))
  total=$((total + 1))
  printf '%-8s %s%s\n' "$class" "$2" "${3:+  ($3)}"
}
# value_of NAME: the VALUE column of NAME's row in the table in out.txt.
value_of() {
  awk -v name="$1" '/^NAME +KIND +VALUE/ {v=index($0,"VALUE"); g=index($0,"GROUP"); next}
    v && index($0, name "  ") == 1 {s=substr($0,v,g-v); sub(/ +$/,"",s); print s; exit}' out.txt
}
fresh_preset() { rm -f p.json && "$tool" --preset p.json set Title=Start >/dev/null 2>&1 && cp p.json p.orig; }
# one_json: stdout holds exactly one JSON value.
one_json() { [ -s out.txt ] && jq -e -s 'length == 1' out.txt >/dev/null 2>&1; }
# document ENTRIES: a preset document of the sample panel with the given entries (JSON array text).
document() { printf '{"format": "qenprops-preset", "version": "2", "entries": %s}\n' "$1"; }

# ---- 5. values given to set: each must be refused (exit 1), leave the preset as it was, and a text that is no
# number at all must not be called out of range.
set_cases=(
  "Quality|abc" "Quality|50abc" "Quality|1e2" "Quality| 50" "Quality|50 " "Quality|+50" "Quality|0x10" "Quality|"
  "Quality|4294967296" "Quality|-1" "Quality|99999999999999999999" "Quality|1.5" "Quality|150" "Bitrate|NaN"
  "Frame rate|nan" "Frame rate|inf" "Frame rate|-inf" "Frame rate|1e999" "Frame rate|30abc" "Frame rate|"
  "Frame rate|0x1p3" "Frame rate|30,5" "Frame rate|1e-999" "Include audio|maybe" "Include audio|2"
  "Include audio|TRUEx" "Include audio|" "Container|Tape" "Container|" "Container|MP4 " "Keyframe interval|13"
  "Keyframe interval|60abc" "Keyframe interval|-1" "Keyframe interval|1e1" "Aspect ratio|2x" "Aspect ratio|3:0"
  "Aspect ratio|0:5" "Aspect ratio|:" "Aspect ratio|16:9:1" "Aspect ratio|4294967296:1" "Aspect ratio|a:b"
  "Codec|VP9 (1)" "Codec|Custom (abc)" "Codec|Custom (99999999999)" "Codec|H.264 (" "Codec|Custom (1.5)"
  "Video|half" "Video|-1" "Width|7681" "Height|15"
)
for c in "${set_cases[@]}"; do
  name=${c%%|*}
  value=${c#*|}
  fresh_preset
  run --preset p.json set "$name=$value"
  if ! cmp -s p.json p.orig; then
    verdict lost "set '$name=$value'" "accepted: the preset changed"
  elif [ "$status" -ne 1 ]; then
    verdict unclean "set '$name=$value'" "exit $status"
  elif [[ ! "$value" =~ ^[-+]?[0-9.]*[0-9]$ ]] && grep -q kResultOutOfRange err.txt; then
    verdict unclean "set '$name=$value'" "a text that is no number called out of range"
  else
    verdict clean "set '$name=$value'"
  fi
done
# Text that is no UTF-8, or that decodes to a NUL only through an overlong form. (A Windows program's command
# line is UTF-16: no such bytes can reach it.)
[ -n "${QEN_WINDOWS_PROGRAM:-}" ] && malformed=() || malformed=('\xc0\x80' '\xed\xa0\x80' '\xff' 'ab\xe2\x82')
for bytes in "${malformed[@]}"; do
  fresh_preset
  run --preset p.json set "Title=$(printf "$bytes")"
  if ! cmp -s p.json p.orig; then
    verdict lost "set Title=<bytes $bytes>" "malformed UTF-8 stored"
  elif [ "$status" -ne 1 ]; then
    verdict unclean "set Title=<bytes $bytes>" "exit $status"
  else
    verdict clean "set Title=<bytes $bytes>"
  fi
done

# ---- 5. the same kind of values in a document: each bad entry must be refused (load exits 1, or 2 when the
# whole document is refused) and the property keep its value; "true" is a bool that set accepts, so a load must
# take it too.
load_cases=(
  'Quality|203|3|"50abc"|80' 'Bitrate|202|3|"1000.9"|16000' 'Quality|203|3|"abc"|80' 'Quality|203|3|""|80'
  'Quality|203|3|" 50"|80' 'Quality|203|3|"4294967297"|80' 'Frame rate|204|9|"nan"|30.000'
  'Frame rate|204|9|"inf"|30.000' 'Frame rate|204|9|"30abc"|30.000' 'Frame rate|204|9|"1e999"|30.000'
  'Aspect ratio|206|26|"2x"|16:9' 'Aspect ratio|206|26|"99#0#0"|16:9' 'Aspect ratio|206|26|"2#3#4"|16:9'
  'Container|102|7|"1abc"|MP4' 'Container|102|7|"9"|MP4' 'Keyframe interval|205|15|"60abc"|60'
  'Keyframe interval|205|15|"13"|60' 'Include audio|301|0|"maybe"|TRUE' 'Title|101|16|"a\u0000b"|Untitled'
  'Codec|201|27|"not a record"|H.264 (50000)' 'Codec|201|27|"0000"|H.264 (50000)' 'Output|100|11|"00"|expanded'
)
for c in "${load_cases[@]}"; do
  IFS='|' read -r name id type value keep <<<"$c"
  document "[{\"name\": \"$name\", \"id\": $id, \"type\": $type, \"value\": $value}]" >doc.json
  run load doc.json
  shown=$(value_of "$name")
  if [ -n "$shown" ] && [ "$shown" != "$keep" ]; then
    verdict lost "load $name=$value" "loaded as '$shown'"
  elif [ "$status" -ne 1 ] && [ "$status" -ne 2 ]; then
    verdict unclean "load $name=$value" "exit $status"
  else
    verdict clean "load $name=$value"
  fi
done
document '[{"name": "Include audio", "id": 301, "type": 0, "value": "FALSE"}]' >doc.json
run load doc.json
document '[{"name": "Include audio", "id": 301, "type": 0, "value": "true"}]' >doc2.json
"$tool" --preset p2.json set "Include audio=FALSE" >/dev/null 2>&1
run --preset p2.json load doc2.json
shown=$(value_of "Include audio")
if [ "$shown" != "TRUE" ]; then verdict lost "load Include audio=\"true\"" "loaded as '$shown'"; else
  verdict clean "load Include audio=\"true\""; fi

# ---- 4. a load gives back exactly what was saved, and save, load, save is the same document.
exact_cases=("Width=1001" "Height=601" "Codec=Custom (35000)" "Aspect ratio=64:27" "Frame rate=29.97"
  "Codec=AV1" "Height=17" "Aspect ratio=21:9" "Video=collapsed" "Title=Ünïcødé ✓")
for c in "${exact_cases[@]}"; do
  rm -f e.json e2.json
  if ! "$tool" --preset e.json set "$c" >/dev/null 2>&1; then
    status=0
    verdict unclean "exact load after set '$c'" "the set itself was refused"
    continue
  fi
  run --preset e.json show
  cp out.txt shown.txt
  run load e.json
  tail -n +3 out.txt >loaded.txt
  "$tool" --preset e.json save e2.json >/dev/null 2>&1
  if ! diff -q <(grep -v '^loaded\|^  [0-9]' shown.txt) <(grep -v '^loaded\|^  [0-9]' loaded.txt) >/dev/null; then
    verdict lost "exact load after set '$c'" "$(diff <(cat shown.txt) <(cat loaded.txt) | grep '^>' | head -1)"
  elif ! cmp -s e.json e2.json; then
    verdict lost "save, load, save after set '$c'" "documents differ"
  elif [ "$status" -ne 0 ]; then
    verdict unclean "exact load after set '$c'" "exit $status"
  else
    verdict clean "exact load after set '$c'"
  fi
done

# ---- 3. hostile documents: nothing crashes or hangs, nothing is changed, the answer is exit 2.
deep() { printf '{"format": "qenprops-preset", "entries": [{"id": 1, "value": "1", "x": '; head -c "$1" /dev/zero |
  tr '\0' '['; head -c "$1" /dev/zero | tr '\0' ']'; printf '}]}\n'; }
deep 75000 >deep.json
run load deep.json
if [ "$status" -eq 2 ]; then verdict clean "load of a value nested 75,000 deep"; else
  verdict unclean "load of a value nested 75,000 deep" "exit $status"; fi
fresh_preset
cp deep.json p.json
cp p.json p.orig
run --preset p.json set Quality=50
if ! cmp -s p.json p.orig; then verdict lost "--preset <deep> set" "file changed"; elif [ "$status" -eq 2 ]; then
  verdict clean "--preset <deep> set"; else verdict unclean "--preset <deep> set" "exit $status"; fi
for shape in value bare; do
  if [ $shape = value ]; then printf '{"format": "qenprops-preset", "entries": [{"id": 1, "value": '; else printf '['; fi \
    >deep2.json
  head -c 75000 /dev/zero | tr '\0' '[' >>deep2.json
  head -c 75000 /dev/zero | tr '\0' ']' >>deep2.json
  if [ $shape = value ]; then printf '}]}\n'; else printf ']\n'; fi >>deep2.json
  run load deep2.json
  if [ "$status" -eq 2 ]; then verdict clean "load of a $shape nested 75,000 deep"; else
    verdict unclean "load of a $shape nested 75,000 deep" "exit $status"; fi
done
rm -f fifo && mkfifo fifo
run load fifo
if [ "$status" -eq 2 ]; then verdict clean "load of a FIFO"; else verdict unclean "load of a FIFO" "exit $status"; fi
# Under a 3 GB address-space limit, so a reader without a cap fails here instead of taking the machine's memory;
# a peak above 1 GB counts as running out of memory. A tool built with AddressSanitizer reserves far more address
# space than that for its shadow memory before main, so there the peak alone decides.
address_limit=3000000
if grep -q __asan_init "$tool"; then address_limit=unlimited; fi
(ulimit -v "$address_limit" && /usr/bin/time -f %M -o rss.txt timeout "$limit" "$tool" load /dev/zero >out.txt 2>err.txt)
status=$?
peak=$(tail -n 1 rss.txt)
if [ "${peak:-0}" -gt 1000000 ]; then verdict crash "load of /dev/zero" "read until memory ran out: $peak KB";
elif [ "$status" -eq 2 ]; then verdict clean "load of /dev/zero"; else
  verdict unclean "load of /dev/zero" "exit $status"; fi
mkdir -p adir
run load adir
if [ "$status" -eq 2 ]; then verdict clean "load of a directory"; else
  verdict unclean "load of a directory" "exit $status"; fi
for doc in '' '{' '[]' '{"format": "qenprops-preset"}' '{"format": "other", "entries": []}' \
           '{"format": "qenprops-preset", "entries": [{"id": 1}]}' \
           '{"format": "qenprops-preset", "entries": [{"id": -1, "value": "1"}]}' \
           '{"format": "qenprops-preset", "entries": [{"id": 1e400, "value": "1"}]}'; do
  printf '%s' "$doc" >doc.json
  run load doc.json
  if [ "$status" -eq 2 ]; then verdict clean "load '$doc'"; else verdict unclean "load '$doc'" "exit $status"; fi
done
printf '{"format": "qenprops-preset", "entries": [{"id": 203, "value": "5\0"}]}' >nul.json
run load nul.json
if [ "$status" -eq 2 ]; then verdict clean "load of a document with a NUL byte"; else
  verdict unclean "load of a document with a NUL byte" "exit $status"; fi
head -c $((70 << 20)) /dev/zero | tr '\0' ' ' >big.json
printf '{"format": "qenprops-preset", "entries": []}' >>big.json
run load big.json
if [ "$status" -eq 2 ]; then verdict clean "load of a 70 MiB document"; else
  verdict unclean "load of a 70 MiB document" "exit $status"; fi
rm -f big.json

# ---- 7. entries: duplicates are an error, unknown entries survive every save.
document '[{"id": 203, "value": "10"}, {"id": 203, "value": "90"}]' >dup.json
run load dup.json
if [ "$status" -eq 2 ]; then verdict clean "load of duplicate IDs"; else
  verdict unclean "load of duplicate IDs" "exit $status, value $(value_of Quality)"; fi
printf '{"format": "qenprops-preset", "entries": [{"id": 203, "value": "10", "value": "90"}]}' >dupkey.json
run load dupkey.json
if [ "$status" -eq 2 ]; then verdict clean "load of a duplicate key"; else
  verdict unclean "load of a duplicate key" "exit $status"; fi
document '[{"name": "Sharpness", "id": 150, "type": 3, "size": 4, "value": "7"},
  {"name": "Quality", "id": 203, "type": 3, "size": 4, "value": "55"}]' >old.json
rm -f other.json
run --preset old.json save other.json
if grep -q Sharpness other.json 2>/dev/null; then verdict clean "save to another path carries unknown entries"; else
  verdict lost "save to another path carries unknown entries" "Sharpness dropped"; fi
cp old.json kept.json
run --preset kept.json set Quality=60
if grep -q Sharpness kept.json; then verdict clean "set carries unknown entries"; else
  verdict lost "set carries unknown entries" "Sharpness dropped"; fi

# ---- 6. panel descriptions that mean something other than they say: refused with exit 2.
panel() { printf '{"properties": [%s]%s}\n' "$1" "${2:+, \"rules\": [$2]}" >panel.json; }
panel '{"name": "Q", "kind": "long", "id": 1, "min": 0, "max": 100, "default": 5}'
run --panel panel.json set Q=4000000000
if [ "$status" -eq 0 ]; then verdict lost "declared range 0 to 100 holds" "4000000000 accepted"; else
  verdict clean "declared range 0 to 100 holds"; fi
desc_cases=(
  '{"name": "Q", "kind": "long", "id": 1, "min": 10, "max": 5}'
  '{"name": "F", "kind": "float", "id": 1, "min": 2.5, "max": 1.5}'
  '{"name": "E", "kind": "enum", "id": 1, "choices": [{"text": "A", "id": 1}, {"text": "B", "id": 1}]}'
  '{"name": "E", "kind": "enum", "id": 1, "choices": ["A", "A"]}'
  '{"name": "F", "kind": "float", "id": 1, "decimals": 1.5}'
  '{"name": "R", "kind": "ratio", "id": 1, "choices": ["16:0", "4:3"]}'
  '{"name": "R", "kind": "ratio", "id": 1, "choices": ["16:9"], "custom": {"text": "Custom", "id": 1}}'
  '{"name": "X", "kind": "ex-enum", "id": 1, "choices": [{"text": "A", "id": 1, "data": 1}], "custom": {"text": "A", "id": 2, "data": 1}}'
  '{"name": "L", "kind": "long", "id": 1, "signed": "yes"}'
  '{"name": "L", "kind": "long", "id": 1, "min": "1"}'
  '{"name": "L", "kind": "long", "id": 1, "default": "5x"}'
  '{"name": "B", "kind": "bool", "id": 1, "default": "maybe"}'
  '{"name": "L", "kind": "long", "id": 1}, {"name": "L", "kind": "long", "id": 2}'
  '{"name": "L", "kind": "long", "id": 1}, {"name": "M", "kind": "long", "id": 1}'
  '{"name": "L", "kind": "long", "id": 1, "mystery": 1}'
  '{"name": "T", "kind": "text", "id": 1, "default": "a\u0000b"}'
)
for d in "${desc_cases[@]}"; do
  panel "$d"
  run --panel panel.json show
  if [ "$status" -eq 2 ] && ! grep -q 'json.exception' err.txt; then verdict clean "panel [$d]"; else
    verdict unclean "panel [$d]" "exit $status$(grep -q json.exception err.txt && echo ', raw exception')"; fi
done
rule_cases=(
  '{"when": "M", "is": ["Video"], "set": "S", "to": "maybe"}'
  '{"when": "M", "is": ["Film"], "set": "S", "to": "TRUE"}'
  '{"limit": "S", "is": ["TRUE"], "requires": "M", "in": ["Tape"]}'
  '{"when": "M", "cap": "S"}'
)
for r in "${rule_cases[@]}"; do
  panel '{"name": "M", "kind": "enum", "id": 1, "choices": ["Photo", "Video"]}, {"name": "S", "kind": "bool", "id": 2}' "$r"
  run --panel panel.json show
  if [ "$status" -eq 2 ]; then verdict clean "rule [$r]"; else verdict unclean "rule [$r]" "exit $status"; fi
done
panel '{"name": "D", "kind": "long", "id": 1, "x": '"$(head -c 75000 /dev/zero | tr '\0' '[')$(head -c 75000 /dev/zero | tr '\0' ']')"'}'
run --panel panel.json show
if [ "$status" -eq 2 ]; then verdict clean "panel nested 75,000 deep"; else
  verdict unclean "panel nested 75,000 deep" "exit $status"; fi

# ---- 8. honest output: a refused multi-assignment says nothing was applied; --json always gives one object.
fresh_preset
run --preset p.json set Quality=50 Bitrate=99999999
if grep -q 'Quality: 80 -> 50' out.txt; then verdict unclean "refused multi-assignment" "reports Quality 80 -> 50";
elif [ "$status" -ne 1 ] || ! cmp -s p.json p.orig; then verdict lost "refused multi-assignment" "exit $status";
else verdict clean "refused multi-assignment"; fi
json_cases=("set Nothing=1" "set Quality" "frobnicate" "load missing.json" "load dup.json" "load deep.json"
  "--panel panel.json show" "set Quality=abc" "click Nothing" "load fifo" "")
for c in "${json_cases[@]}"; do
  # shellcheck disable=SC2086
  run --json $c
  if one_json; then verdict clean "--json $c"; else verdict unclean "--json $c" "no single JSON object"; fi
done

# ---- 1 and 2. preset files under concurrency, links and modes.
# 50 pairs of processes at once, each setting its own property of a 100-property panel to 1. Each process's
# exit status and messages are kept: a property that is not 1 although its process said it succeeded is a lost
# update; a process that failed with a message lost nothing (the user was told), but under this load it is
# still a fault of the lock, reported as unclean with its message.
props=$(for i in $(seq 1 100); do printf '%s{"name": "P%d", "kind": "long", "id": %d, "min": 0, "max": 9}' \
  "$([ "$i" -gt 1 ] && echo ,)" "$i" "$i"; done)
printf '{"properties": [%s]}\n' "$props" >many.json
rm -f c.json && "$tool" --panel many.json --preset c.json set P1=0 >/dev/null 2>&1
rm -rf setters && mkdir setters
for i in $(seq 1 100); do
  (timeout "$limit" "$tool" --panel many.json --preset c.json set "P$i=1" >/dev/null 2>"setters/$i.err"
    echo $? >"setters/$i.status") &
done
wait
status=0
if ! jq -e . c.json >/dev/null 2>&1; then verdict lost "50 concurrent pairs of set" "c.json is no JSON any more";
else
  run --panel many.json --preset c.json show
  lost=0 refused=0 message=
  for i in $(seq 1 100); do
    code=$(cat "setters/$i.status" 2>/dev/null || echo none)
    if [ "$code" != 0 ]; then
      refused=$((refused + 1))
      [ -n "$message" ] || message="P$i: exit $code: $(head -c 200 "setters/$i.err" | tr '\n' ' ')"
      # A process that hung or was killed makes the case a hang or a crash.
      [ "$code" = 124 ] || { [ "$code" != none ] && [ "$code" -ge 128 ]; } && status=$code
    elif [ "$(value_of "P$i")" != 1 ]; then
      lost=$((lost + 1))
    fi
  done
  if [ "$lost" -ne 0 ]; then
    verdict lost "50 concurrent pairs of set" "$lost of 100 updates lost by processes that exited 0"
  elif [ "$refused" -ne 0 ]; then
    verdict unclean "50 concurrent pairs of set" "$refused of 100 processes failed; $message"
  else verdict clean "50 concurrent pairs of set"; fi
fi
echo victim >victim.txt
rm -f s.json && "$tool" --preset s.json set Quality=5 >/dev/null 2>&1
ln -sf victim.txt s.json.tmp
run --preset s.json set Quality=6
if [ "$(cat victim.txt)" != victim ]; then verdict lost "a symlink at the temp name" "victim.txt overwritten"; else
  verdict clean "a symlink at the temp name"; fi
rm -f s.json.tmp target.json link.json
"$tool" --preset target.json set Quality=5 >/dev/null 2>&1
ln -s target.json link.json
run --preset link.json set Quality=7
if [ ! -L link.json ]; then verdict lost "a symlinked preset keeps its link" "replaced by a regular file"; else
  verdict clean "a symlinked preset keeps its link"; fi
rm -f m.json && "$tool" --preset m.json set Quality=5 >/dev/null 2>&1
# (Windows has no file modes: a Windows program's new file gets the access rights its directory gives.)
if [ -z "${QEN_WINDOWS_PROGRAM:-}" ]; then
  chmod 600 m.json
  run --preset m.json set Quality=8
  if [ "$(stat -c %a m.json)" != 600 ]; then verdict lost "the preset's mode is kept" "600 became $(stat -c %a m.json)";
  else verdict clean "the preset's mode is kept"; fi
fi

echo
echo "$total cases: ${count[clean]} clean, ${count[unclean]} unclean, ${count[lost]} lost or corrupted data," \
  "${count[crash]} crashed, ${count[hang]} hung"
