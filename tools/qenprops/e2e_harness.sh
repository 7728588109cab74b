# The checks shared by the end-to-end scripts of the built qenprops tool; a script sources this file with its
# own two arguments, QENPROPS (the tool, or a launcher that runs it) and SCRATCH_DIR, and ends with `finish`.
tool=$1
work=$2
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 2

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# run ARGS...: runs the tool, keeping stdout in out.txt, stderr in err.txt and the exit status in $status.
run() { "$tool" "$@" >out.txt 2>err.txt; status=$?; }
expect_status() { [ "$status" -eq "$1" ] || fail "$2: exit $status, expected $1 ($(head -c 400 err.txt))"; }
expect_out() { grep -qF -- "$1" out.txt || fail "$2: output lacks '$1': $(head -c 600 out.txt)"; }
expect_err() { grep -qF -- "$1" err.txt || fail "$2: stderr lacks '$1': $(head -c 600 err.txt)"; }

# finish WHAT: reports the failures and exits 1 if there were any.
finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$failures failure(s)"
    exit 1
  fi
  echo "all qenprops $1 checks passed"
}
