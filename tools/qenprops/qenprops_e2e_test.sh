#!/usr/bin/env bash
# End-to-end tests of the built qenprops tool: usage: qenprops_e2e_test.sh QENPROPS SCRATCH_DIR
# Each section holds one class of fault a user can meet: values, documents, descriptions, lost entries,
# misleading output, hostile files; every check runs the tool as a user would and judges what it did.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/e2e_harness.sh" "$1" "$2"
expect_no_out() { [ ! -s out.txt ] || fail "$1: printed $(head -c 300 out.txt)"; }
# expect_json FILTER WHAT: stdout is exactly one JSON value, and FILTER (jq) holds for it.
expect_json() {
  jq -e -s 'length == 1' out.txt >/dev/null 2>&1 || { fail "$2: stdout is not one JSON value: $(head -c 300 out.txt)"; return; }
  jq -e "$1" out.txt >/dev/null 2>&1 || fail "$2: JSON fails '$1': $(head -c 600 out.txt)"
}
# value_of NAME: the VALUE column of NAME's row in the table in out.txt.
value_of() {
  awk -v name="$1" '/^NAME +KIND +VALUE/ {v=index($0,"VALUE"); g=index($0,"GROUP"); next}
    v && index($0, name "  ") == 1 {s=substr($0,v,g-v); sub(/ +$/,"",s); print s; exit}' out.txt
}
expect_value() { [ "$(value_of "$1")" = "$2" ] || fail "$3: $1 is '$(value_of "$1")', expected '$2'"; }
document() { printf '{"format": "qenprops-preset", "version": "2", "entries": %s}\n' "$1"; }

# ---- the sample panel: every class in its natural form
run show
expect_status 0 "show"
for text in "Video export" "H.264 (50000)" "16:9" "TRUE" "30.000" "Untitled" "expanded" "ex-enum" "enum-long" \
            "ratio" "button" "500 to 100000" "MP4 | MKV | WebM" "Custom (N)" "16:9 | 4:3 | 21:9 | 1:1 | N:M"; do
  expect_out "$text" "show"
done
run --json show
expect_status 0 "show --json"
expect_json '.ok and (.panel.properties | length) == 17' "show --json"
expect_json '.panel.properties[] | select(.name == "Frame rate") | .limits.decimals == 3 and .limits.min == 1' \
  "show --json limits"
expect_json '.panel.properties[] | select(.name == "Codec") | .default == "H.264 (50000)"' "show --json default"

# ---- a change prints what changed with it; the preset is written only on success
run --preset p.json set Codec=VP9 "Aspect ratio=4:3" Title=Trip "Keyframe interval=120" "Frame rate=29.97" \
    "Include audio=no" Video=collapsed
expect_status 0 "set"
expect_out "Codec: H.264 (50000) -> VP9 (30000)" "set"
expect_out "  also changed: Container: MP4 -> WebM" "set"
expect_out "  also changed: Height: 1080 -> 1440" "set"
expect_out "Frame rate: 30.000 -> 29.970" "set"
[ -f p.json ] || fail "set did not write p.json"
run --preset p.json set Container=MKV "Codec=Custom (35000)" Bitrate=34000 "Aspect ratio=64:27"
expect_status 0 "set custom entries"

# ---- 4. a load gives back exactly what was saved; rules act on edits, not on loads
run --preset w.json set Width=1001
expect_out "also changed: Height: 1080 -> 564" "a width and the height it brings"
run load w.json
expect_status 0 "load of what was saved"
expect_out "15 loaded, 0 adjusted, 0 refused, 0 unknown, 0 missing" "load of what was saved"
expect_value Width 1001 "a load does not run the rules"
expect_value Height 564 "a load does not run the rules"
for preset in p.json w.json; do
  run --preset "$preset" save again.json
  cmp -s "$preset" again.json || fail "save, load, save of $preset differs: $(diff "$preset" again.json | head -5)"
  run --preset "$preset" show
  cp out.txt shown.txt
  run load "$preset"
  diff <(tail -n +2 shown.txt) <(grep -A100 '^Video export' out.txt | tail -n +2) >/dev/null ||
    fail "load of $preset shows other values than the panel that saved it"
done
# A bitrate above what the loaded codec allows is lowered by its cap, and the load says so (exit 1).
sed 's/"value": "34000"/"value": "90000"/' p.json >capped.json
run load capped.json
expect_status 1 "load of a capped value"
expect_out "Bitrate (id 202): adjusted: Bitrate 90000 is above 35000, the most Codec Custom (35000) allows; lowered to 35000" \
  "load of a capped value"
expect_value Bitrate 35000 "load of a capped value"

# ---- 5. values: one grammar for set and for documents; refusals say what the property takes
cp p.json before.json
while IFS='|' read -r name value code takes; do
  run --preset p.json set "$name=$value"
  expect_status 1 "set $name=$value"
  expect_err "$code" "set $name=$value"
  expect_err "$takes" "set $name=$value"
  expect_no_out "set $name=$value"
done <<'CASES'
Quality|abc|kResultInvalidArgument|a whole number from 1 to 100
Quality|50abc|kResultInvalidArgument|a whole number from 1 to 100
Quality| 50|kResultInvalidArgument|a whole number from 1 to 100
Quality|4294967296|kResultInvalidArgument|a whole number from 1 to 100
Quality|150|kResultOutOfRange|a whole number from 1 to 100
Frame rate|nan|kResultInvalidArgument|a decimal from 1.000 to 240.000
Frame rate|1e999|kResultInvalidArgument|a decimal from 1.000 to 240.000
Include audio|maybe|kResultInvalidArgument|true or false
Aspect ratio|2x|kResultInvalidArgument|N:M with whole numbers
Aspect ratio|3:0|kResultInvalidArgument|N:M with whole numbers
Codec|VP9 (1)|kResultInvalidArgument|only the custom choice takes data
Container|Tape|kResultInvalidArgument|one of MP4, MKV or WebM
Bitrate|40000|kResultChangeRefused|the most Codec Custom (35000) allows
CASES
# (A Windows program's command line is UTF-16: no bytes that are no UTF-8 can reach it.)
if [ -z "${QEN_WINDOWS_PROGRAM:-}" ]; then
  run --preset p.json set "Title=$(printf 'a\xc0\x80b')"
  expect_status 1 "an overlong NUL in UTF-8"
  expect_err "UTF-8 without a NUL" "an overlong NUL in UTF-8"
  cmp -s p.json before.json || fail "a refused value rewrote the preset"
fi
# The same spellings load from a document as set takes; a value with trailing garbage is refused by name.
document '[{"name": "Include audio", "id": 301, "type": 0, "value": "true"},
           {"name": "Quality", "id": 203, "type": 3, "value": "50abc"},
           {"name": "Bitrate", "id": 202, "type": 3, "value": "1000.9"},
           {"name": "Aspect ratio", "id": 206, "type": 26, "value": "2x"},
           {"name": "Container", "id": 102, "type": 7, "value": "9"}]' >lax.json
run --preset quiet.json set "Include audio=false"
run --preset quiet.json load lax.json
expect_status 1 "a document of lax values"
expect_value "Include audio" TRUE "true loads as set takes it"
for name in Quality Bitrate "Aspect ratio" Container; do
  expect_out "$name (id " "a refused entry is named"
done
expect_out "kResultInvalidArgument: \"50abc\" is no value of Quality, which takes a whole number from 1 to 100" \
  "a refused entry says why"
expect_value Quality 80 "a refused entry keeps the value"
expect_value "Aspect ratio" 16:9 "a refused entry keeps the value"
document '[{"id": 101, "value": "a\u0000b"}]' >nul-char.json
run load nul-char.json
expect_status 2 "a NUL in a document"
expect_err "nul-char.json:1:82: a NUL character" "a NUL in a document"

# ---- 6. panel descriptions mean what they say
printf '{"properties": [{"name": "Q", "kind": "long", "id": 1, "min": 0, "max": 100, "default": 5}]}\n' >zero.json
run --panel zero.json set Q=4000000000
expect_status 1 "a declared range with 0 as a bound"
expect_err "kResultOutOfRange" "a declared range with 0 as a bound"
while IFS='|' read -r properties pointer says; do
  printf '{"properties": [%s]}\n' "$properties" >desc.json
  run --panel desc.json show
  expect_status 2 "description $properties"
  expect_err "desc.json: at $pointer: $says" "description $properties"
  grep -q "json.exception" err.txt && fail "description $properties: a raw library exception"
done <<'CASES'
{"name": "Q", "kind": "long", "id": 1, "min": 10, "max": 5}|/properties/0/min|the minimum 10 is above the maximum 5
{"name": "E", "kind": "enum", "id": 1, "choices": [{"text": "A", "id": 1}, {"text": "B", "id": 1}]}|/properties/0/choices/1|the ID 1 is already another choice's
{"name": "E", "kind": "enum", "id": 1, "choices": ["A", "a"]}|/properties/0/choices/1|the choice "a" is the choice at /properties/0/choices/0 but for letter case
{"name": "F", "kind": "float", "id": 1, "decimals": 1.5}|/properties/0/decimals|"decimals" is 1.5, but it must be a whole number from 0 to 17
{"name": "R", "kind": "ratio", "id": 1, "choices": ["16:0"]}|/properties/0/choices/0|the ratio "16:0" has a part of 0
{"name": "X", "kind": "ex-enum", "id": 1, "choices": [{"text": "A", "id": 1, "data": 1}], "custom": {"text": "B", "id": 1, "data": 2}}|/properties/0/custom|the ID 1 is already another choice's
{"name": "L", "kind": "long", "id": 1, "signed": "yes"}|/properties/0/signed|expected true or false
{"name": "L", "kind": "long", "id": 1, "colour": 1}|/properties/0/colour|a long property has no key "colour"
{"name": "L", "kind": "long", "id": 1}, {"name": "l", "kind": "bool", "id": 2}|/properties/1/name|the name "l" is already the name of (but for letter case) /properties/0
CASES
cat >rules.json <<'JSON'
{"properties": [{"name": "Mode", "kind": "enum", "id": 1, "choices": ["Photo", "Video"]},
                {"name": "Light", "kind": "bool", "id": 2}],
 "rules": [{"when": "Mode", "is": ["Film"], "set": "Light", "to": true}]}
JSON
run --panel rules.json show
expect_status 2 "a rule value that is no value of its property"
expect_err "rules.json: at /rules/0/is/0: \"Film\" is no value of Mode, which takes one of Photo or Video" "a rule value"

# ---- a panel file declares its own dependent changes and limits
cat >panel.json <<'JSON'
{"title": "Camera", "version": "7",
 "properties": [
  {"name": "Mode", "kind": "enum", "id": 1, "choices": ["Photo", "Video"], "default": "Photo"},
  {"name": "Lens", "kind": "ex-enum", "id": 2, "default": "Wide",
   "choices": [{"text": "Wide", "id": 1, "data": 30}, {"text": "Tele", "id": 2, "data": 10}]},
  {"name": "Shutter", "kind": "long", "id": 3, "min": 1, "max": 60, "default": 20},
  {"name": "Stabilise", "kind": "bool", "id": 4, "default": false}],
 "rules": [
  {"when": "Lens", "cap": "Shutter"},
  {"when": "Mode", "is": ["Video"], "set": "Stabilise", "to": "TRUE"},
  {"limit": "Stabilise", "is": ["FALSE"], "requires": "Mode", "in": ["Photo"]}]}
JSON
run --panel panel.json set Lens=Tele
expect_status 0 "panel file: cap"
expect_out "also changed: Shutter: 20 -> 10" "panel file: cap"
run --panel panel.json set Mode=Video
expect_out "also changed: Stabilise: FALSE -> TRUE" "panel file: set"

# ---- 8. honest output: a refused assignment among several undoes the others and says so
run --panel panel.json --preset cam.json set Shutter=30 Mode=Video Stabilise=FALSE
expect_status 1 "a refused multi-assignment"
expect_no_out "a refused multi-assignment prints no change"
expect_err "refused (kResultChangeRefused): Stabilise=FALSE: Stabilise FALSE needs Mode Photo, and Mode is Video; nothing was applied" \
  "a refused multi-assignment"
[ ! -f cam.json ] || fail "a refused change created the preset"
cp p.json before.json
run --preset p.json set Quality=50 Bitrate=99999999
expect_status 1 "a refused multi-assignment on the sample"
expect_no_out "a refused multi-assignment on the sample"
cmp -s p.json before.json || fail "a refused multi-assignment rewrote the preset"
# With --json every outcome, errors included, is one JSON object.
run --json --preset p.json set Quality=50 Bitrate=99999999
expect_json '.ok == false and .exit == 1 and .result == "kResultOutOfRange" and .changes == [] and
  (.message | test("nothing was applied"))' "--json refusal"
run --json --preset p.json set Quality=55
expect_json '.ok and .changes[0].name == "Quality" and .changes[0].after == "55" and .saved == ["p.json"]' "--json set"
run --json set Codec=AV1
expect_json '.changes[1].dependent == true' "--json marks dependent changes"
while IFS='|' read -r args kind; do
  # shellcheck disable=SC2086
  run --json $args
  expect_status 2 "--json $args"
  expect_json ".ok == false and .exit == 2 and .error.kind == \"$kind\" and (.error.message | length) > 0" "--json $args"
  [ ! -s err.txt ] || fail "--json $args: wrote to stderr: $(head -c 200 err.txt)"
done <<'CASES'
frobnicate|usage
set Quality|usage
set Nothing=1|usage
load missing.json|file
load nul-char.json|document
--panel desc.json show|description
|usage
CASES
run --json load nul-char.json
expect_json '.error.line == 1 and .error.column == 82 and .error.path == "nul-char.json"' "--json document error place"
run --json --panel desc.json show
expect_json '.error.pointer == "/properties/1/name"' "--json description error pointer"

# ---- 7. entries: duplicates are an error at their pointer, unknown entries survive every save
document '[{"id": 203, "value": "10"}, {"id": 203, "value": "90"}]' >dup.json
run load dup.json
expect_status 2 "duplicate IDs"
expect_err "dup.json: at /entries/1/id: the property ID 203 is the ID of /entries/0 too" "duplicate IDs"
cat >old.json <<'JSON'
{"format": "qenprops-preset", "version": "1",
 "entries": [
  {"name": "Title", "id": 101, "type": 16, "value": "Old times"},
  {"name": "Sharpness", "id": 150, "type": 3, "size": 4, "value": "7"},
  {"name": "Width", "id": 207, "type": 3, "size": 4, "value": "1280"}]}
JSON
run load old.json
expect_status 0 "an older document"
expect_out "document version 1, panel version 2" "an older document"
expect_out "Sharpness (id 150): unknown, kept for the next save" "an older document"
expect_out "Quality (id 203): missing" "an older document"
expect_value Title "Old times" "an older document"
expect_value Width 1280 "an older document"
run --preset old.json save other.json
expect_status 0 "save to another path"
grep -q '"Sharpness"' other.json || fail "save to another path dropped an entry of another panel version"
cp old.json kept.json
run --preset kept.json set Title=Newer
grep -q '"Sharpness"' kept.json || fail "writing back dropped an entry of another panel version"
grep -q '"Newer"' kept.json || fail "writing back lost the change"

# ---- 3. hostile documents are refused before any tree is built
{
  printf '{"format": "qenprops-preset", "entries": [{"id": 1, "value": '
  head -c 75000 /dev/zero | tr '\0' '['
  head -c 75000 /dev/zero | tr '\0' ']'
  printf '}]}\n'
} >deep.json
run load deep.json
expect_status 2 "a value nested 75,000 deep"
expect_err "deep.json:1:91: arrays and objects nested more than 32 deep" "a value nested 75,000 deep"
cp deep.json deep-preset.json
run --preset deep-preset.json set Quality=50
expect_status 2 "a deep --preset"
cmp -s deep.json deep-preset.json || fail "a deep --preset was rewritten"
printf '{"format": "qenprops-preset", "entries": [{"id": 203, "value": "5\0"}]}' >nulbyte.json
run load nulbyte.json
expect_status 2 "a NUL byte"
expect_err "nulbyte.json:1:66: a NUL byte" "a NUL byte"

# Files that are no preset are refused before they are read: nothing blocks on a FIFO or reads a device
# endlessly, and a file over the size cap is refused whole.
mkfifo fifo.json
run load fifo.json
expect_status 2 "a FIFO"
expect_err "fifo.json" "a FIFO"
timeout 60 "$tool" load /dev/zero >out.txt 2>err.txt
status=$?
expect_status 2 "/dev/zero"
mkdir -p adir.json
run load adir.json
expect_status 2 "a directory"
truncate -s $((65 << 20)) big.json
run load big.json
expect_status 2 "a file over the size cap"
expect_err "64 MiB" "a file over the size cap"
rm -f big.json

# ---- 2. preset files keep their links and modes, and a link at a temporary name is never written through
echo victim >victim.txt
cp p.json linked-target.json
ln -s linked-target.json linked.json
ln -s victim.txt linked.json.tmp
chmod 600 linked-target.json
run --preset linked.json set Quality=42
expect_status 0 "a set through a symlinked preset"
[ -L linked.json ] || fail "a symlinked preset was replaced by a regular file"
grep -q '"value": "42"' linked-target.json || fail "the change did not reach the link's target"
# (Windows has no file modes: a Windows program's new file gets the access rights its directory gives.)
if [ -z "${QEN_WINDOWS_PROGRAM:-}" ]; then
  [ "$(stat -c %a linked-target.json)" = 600 ] || fail "the preset's mode 600 became $(stat -c %a linked-target.json)"
fi
[ "$(cat victim.txt)" = victim ] || fail "a link at the old temporary name was written through"
[ -z "$(find . -maxdepth 1 -name '.*.tmp-*')" ] || fail "a temporary file was left behind: $(ls -a)"
# (As root every directory can be written to; the file layer's own tests fail writes in other ways.)
if [ "$(id -u)" -ne 0 ]; then
  mkdir -p ro && cp p.json ro/p.json && chmod 500 ro
  run --preset ro/p.json set Quality=43
  expect_status 2 "a preset in a directory it cannot write to"
  chmod 700 ro
  cmp -s p.json ro/p.json || fail "a failed write changed the preset"
  [ "$(ls ro)" = p.json ] || fail "a failed write left a file behind: $(ls ro)"
fi

# ---- resets and buttons
run --preset p.json reset Title
expect_status 0 "reset one"
expect_out "Title: Trip -> Untitled" "reset one"
run --preset p.json click "Estimate size"
expect_status 0 "click estimate"
expect_out "MB per minute" "click estimate"
run --preset p.json click "Restore defaults"
expect_status 0 "click restore"
expect_out "changed: Codec: Custom (35000) -> H.264 (50000)" "click restore"
run --preset p.json reset
expect_out "every setting already has its default" "reset of a panel at its defaults"
run click Title
expect_status 1 "click of no button"

# ---- malformed files: exit 2 with path and place; nothing changes
printf '{\n  "format": "qenprops-preset",\n  "entries": [\n    {"id": 5, "value": "x",}\n  ]\n}\n' >bad.json
cp bad.json bad-before.json
run --preset bad.json set Title=Lost
expect_status 2 "malformed preset"
expect_err "bad.json:4:28:" "malformed preset position"
cmp -s bad.json bad-before.json || fail "a malformed preset was rewritten"
printf '{"properties": [\n  {"name": "A", "kind": "long" "id": 1}\n]}\n' >badpanel.json
run --panel badpanel.json show
expect_status 2 "malformed panel"
expect_err "badpanel.json:2:35:" "malformed panel position"
run load missing.json
expect_status 2 "unreadable preset"
expect_err "missing.json" "unreadable preset"

# ---- usage errors
run frobnicate
expect_status 2 "unknown command"
run set Bitrate
expect_status 2 "set without a value"
run set Nothing=1
expect_status 2 "unknown property"
expect_err "Nothing" "unknown property"

finish end-to-end
