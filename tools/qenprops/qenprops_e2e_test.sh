#!/usr/bin/env bash
# End-to-end tests of the built qenprops tool: usage: qenprops_e2e_test.sh QENPROPS SCRATCH_DIR
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/e2e_harness.sh" "$1" "$2"
# values FILE: the NAME and VALUE columns of a table (VALUE starts where the header puts it).
values() { awk 'NR==2 {v=index($0,"VALUE"); g=index($0,"GROUP")} NR>2 {print substr($0,1,g-1)}' "$1"; }

# --- show on the sample panel: every class in its natural form
run show
expect_status 0 "show"
for text in "Video export" "H.264 (50000)" "16:9" "TRUE" "30.000" "Untitled" "expanded" "ex-enum" "enum-long" \
            "ratio" "button" "500 to 100000" "MP4 | MKV | WebM"; do
  expect_out "$text" "show"
done
run --json show
expect_status 0 "show --json"
expect_out '"value": "H.264 (50000)"' "show --json"
expect_out '"ok": true' "show --json"

# --- a change prints what changed with it; the preset is written only on success
run --preset p.json set Codec=VP9 "Aspect ratio=4:3" Title=Trip "Keyframe interval=120" "Frame rate=29.97" \
    "Include audio=FALSE" Video=collapsed
expect_status 0 "set"
expect_out "Codec: H.264 (50000) -> VP9 (30000)" "set"
expect_out "also changed: Container: MP4 -> WebM" "set"
expect_out "also changed: Height: 1080 -> 1440" "set"
[ -f p.json ] || fail "set did not write p.json"
[ -z "$(ls ./*.tmp 2>/dev/null)" ] || fail "a temporary file was left behind"
run --preset p.json set Container=MKV "Codec=Custom (35000)" Bitrate=34000 "Aspect ratio=64:27"
expect_status 0 "set custom entries"

# --- set, save, load and show again gives the same values
run --preset p.json show
cp out.txt shown.txt
run --preset p.json save s.json
expect_status 0 "save"
run load s.json
expect_status 0 "load"
expect_out "15 loaded, 0 refused, 0 unknown, 0 missing" "load"
tail -n +3 out.txt >loaded.txt
[ "$(values shown.txt)" = "$(values loaded.txt)" ] || fail "load gives other values: $(diff shown.txt loaded.txt)"
grep -q "Custom (35000)" loaded.txt && grep -q "64:27" loaded.txt && grep -q "Trip" loaded.txt ||
  fail "loaded values lack the custom entries or the title"

# --- refusals exit 1, name the property, the value and the code, and leave the preset as it was
cp p.json before.json
run --preset p.json set Bitrate=40000
expect_status 1 "bitrate above the codec's cap"
expect_err "refused: Bitrate=40000: kResultChangeRefused" "cap refusal"
cmp -s p.json before.json || fail "a refused change rewrote the preset"
run --preset p.json set Title=Changed Container=WebM
expect_status 1 "container that cannot hold the codec"
expect_err "refused: Container=WebM: kResultChangeRefused" "limit refusal"
cmp -s p.json before.json || fail "a refused change after a good one rewrote the preset"
run --preset p.json set Quality=150
expect_status 1 "quality out of range"
expect_err "kResultOutOfRange" "range refusal"
run --preset p.json set Container=Tape
expect_status 1 "unknown choice"
expect_err "kResultInvalidArgument" "unknown choice"
cmp -s p.json before.json || fail "an invalid value rewrote the preset"
run --json --preset p.json set Bitrate=40000
expect_status 1 "refusal with --json"
expect_out '"result": "kResultChangeRefused"' "refusal with --json"

# --- reset and click
run --preset p.json reset Title
expect_status 0 "reset one"
expect_out "Title: Trip -> Untitled" "reset one"
run --preset p.json click "Estimate size"
expect_status 0 "click estimate"
expect_out "MB per minute" "click estimate"
run --preset p.json click "Restore defaults"
expect_status 0 "click restore"
expect_out "Codec: Custom (35000) -> H.264 (50000)" "click restore"
run --preset p.json show
expect_out "H.264 (50000)" "restored preset"

# --- a malformed preset document: exit 2 with path, line and column; nothing changes
printf '{\n  "format": "qenprops-preset",\n  "entries": [\n    {"id": 5, "value": "x",}\n  ]\n}\n' >bad.json
cp bad.json bad-before.json
run --preset bad.json set Title=Lost
expect_status 2 "malformed preset"
expect_err "bad.json:4:28:" "malformed preset position"
cmp -s bad.json bad-before.json || fail "a malformed preset was rewritten"
run load bad.json
expect_status 2 "load of a malformed preset"
printf '{"format": "qenprops-preset", "entries": [{"id": "five", "value": "x"}]}' >shape.json
run load shape.json
expect_status 2 "preset of the wrong shape"
expect_err "shape.json: at /entries/0/id" "preset of the wrong shape"
run load missing.json
expect_status 2 "unreadable preset"
expect_err "missing.json" "unreadable preset"

# --- a malformed panel file: exit 2 with path, line and column; the preset is untouched
cp p.json before.json
printf '{"properties": [\n  {"name": "A", "kind": "long" "id": 1}\n]}\n' >badpanel.json
run --panel badpanel.json --preset p.json set A=1
expect_status 2 "malformed panel"
expect_err "badpanel.json:2:35:" "malformed panel position"
cmp -s p.json before.json || fail "a malformed panel changed the preset"
printf '{"properties": [{"name": "A", "kind": "dial", "id": 1}]}\n' >kind.json
run --panel kind.json show
expect_status 2 "unknown kind"
expect_err "kind.json: at /properties/0/kind" "unknown kind"

# --- a panel file declares its own dependent changes and limits
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
run --panel panel.json --preset cam.json set Mode=Video Stabilise=FALSE
expect_status 1 "panel file: limit"
expect_err "refused: Stabilise=FALSE: kResultChangeRefused" "panel file: limit"
[ ! -f cam.json ] || fail "a refused change created the preset"

# --- a document from another panel version loads what matches and reports the rest
cat >old.json <<'JSON'
{"format": "qenprops-preset", "version": "1",
 "entries": [
  {"name": "Title", "id": 101, "type": 16, "value": "Old times"},
  {"name": "Sharpness", "id": 150, "type": 3, "size": 4, "value": "7"},
  {"name": "Width", "id": 207, "type": 3, "size": 4, "value": "1280"}]}
JSON
run load old.json
expect_status 0 "older document"
expect_out "document version 1, panel version 2" "older document"
expect_out "Sharpness (id 150): unknown id, skipped" "older document"
expect_out "Quality (id 203): missing from the document" "older document"
expect_out "Old times" "older document"
grep -q "^Width .* 1280 " out.txt || fail "older document: width not loaded"
cp old.json kept.json
run --preset kept.json set Title=Newer
expect_status 0 "writing back a document of another version"
grep -q '"Sharpness"' kept.json || fail "writing back dropped an entry of another panel version"
grep -q '"Newer"' kept.json || fail "writing back lost the change"
cat >refused.json <<'JSON'
{"format": "qenprops-preset", "version": "2",
 "entries": [{"name": "Container", "id": 102, "type": 7, "size": 4, "value": "9"},
             {"name": "Codec", "id": 201, "type": 27, "value": "not a record"},
             {"name": "Quality", "id": 203, "type": 3, "size": 4, "value": "55"}]}
JSON
run load refused.json
expect_status 1 "refused entry"
expect_err "Container (id 102): refused, kResultInvalidArgument" "refused entry"
expect_err "Codec (id 201): refused, kResultInvalidArgument" "refused record text"
expect_out "55" "refused entry leaves the others loaded"

# --- usage errors
run frobnicate
expect_status 2 "unknown command"
run set Bitrate
expect_status 2 "set without a value"
run set Nothing=1
expect_status 2 "unknown property"
expect_err "Nothing" "unknown property"

finish end-to-end
