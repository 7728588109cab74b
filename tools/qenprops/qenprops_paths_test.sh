#!/usr/bin/env bash
# File names beyond ASCII, given to the built qenprops tool: every file it writes or reads must be the one named,
# byte for byte, on any platform (on Windows the names travel as UTF-16 from the command line to the file
# system). Usage: qenprops_paths_test.sh QENPROPS SCRATCH_DIR
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/e2e_harness.sh" "$1" "$2"
expect_file() { [ -f "$1" ] || fail "no file named '$1' (the folder holds: $(ls))"; }

# Latin-1 letters, letters no single-byte code page holds together, and one beyond 16 bits (a surrogate pair).
folder="Einstellungen-ÄÖÜß-設定"
preset="$folder/Voreinstellung-é-日本-😀.json"
copy="Kopie-ñ-Ελληνικά.json"
mkdir -p "$folder"

run --preset "$preset" set Quality=55 Title=Reise
expect_status 0 "set with a non-ASCII preset name"
expect_file "$preset"
[ "$(find . -name '*.json' | wc -l)" -eq 1 ] || fail "other files were written: $(find . -name '*.json')"
[ -z "$(find . -name '*.tmp*')" ] || fail "a temporary file was left: $(find . -name '*.tmp*')"

run --preset "$preset" set Quality=60
expect_status 0 "replace the non-ASCII preset"
run --preset "$preset" show
expect_status 0 "show from the non-ASCII preset"
grep -q "Reise" out.txt && grep -Eq "^Quality +long +60 " out.txt || fail "the preset did not keep the values: $(cat out.txt)"

run --preset "$preset" save "$copy"
expect_status 0 "save to a non-ASCII name"
expect_file "$copy"
run load "$copy"
expect_status 0 "load from a non-ASCII name"
grep -Eq "^Quality +long +60 " out.txt || fail "the loaded values differ: $(cat out.txt)"

run load "Fehlt-ü.json"
expect_status 2 "load of a missing non-ASCII name"
grep -q "Fehlt-ü.json" err.txt || fail "the error does not name the file as given: $(cat err.txt)"

finish file-name
