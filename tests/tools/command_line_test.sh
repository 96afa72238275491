#!/bin/sh
# The command line of orvane-script RUNNER: bad arguments exit 2, --help describes the
# language, "-" reads standard input, and several scripts make one story.
set -u
runner=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() {
    echo "FAILED: $*" >&2
    failed=1
}
status() {
    "$@" >"$work/out" 2>"$work/err" </dev/null
    echo $?
}

[ "$(status "$runner")" = 2 ] || fail "no script should exit 2"
[ "$(status "$runner" --frobnicate "$work/x.txt")" = 2 ] || fail "an unknown option should exit 2"
[ "$(status "$runner" "$work/missing.txt")" = 2 ] || fail "a missing script should exit 2"
[ "$(status "$runner" --program-dir)" = 2 ] || fail "--program-dir without a folder should exit 2"
[ "$(status "$runner" --program-dir "$work/none" -)" = 2 ] || fail "a missing folder should exit 2"

[ "$(status "$runner" --help)" = 0 ] || fail "--help should exit 0"
for word in frmEventTimers.EventData.Secs3 Plus3 Tag3 Hold3 Empty "<not loaded>" \
    "ignored: TARGET is disabled" end-program refuse-clock-changes print-setting; do
    grep -qF -- "$word" "$work/out" || fail "--help does not mention $word"
done

out=$(printf 'print frmOrvane.Loaded\n' | "$runner" -) || fail "a script on standard input"
[ "$out" = "frmOrvane.Loaded = False" ] || fail "standard input printed: $out"

err=$(printf '\nexpect frmOrvane.Loaded True\n' | "$runner" - 2>&1 >/dev/null)
[ $? = 1 ] || fail "a failed expect on standard input should exit 1"
[ "$err" = "<stdin>:2: expected True, got False" ] || fail "standard input's message: $err"

printf 'clock 2001-05-03 10:29:50\nstart\n' >"$work/first.txt"
printf 'advance 4s\nexpect frmOrvane.lblSeconds 06\n' >"$work/second.txt"
[ "$(status "$runner" "$work/first.txt" "$work/second.txt")" = 0 ] ||
    fail "two scripts should make one story: $(cat "$work/err")"
printf 'expect frmOrvane.lblSeconds 05\n' >"$work/third.txt"
[ "$(status "$runner" "$work/first.txt" "$work/second.txt" "$work/third.txt")" = 1 ] ||
    fail "a failure in a later script should exit 1"
grep -qF "third.txt:1: expected" "$work/err" || fail "the later script's message: $(cat "$work/err")"

mkdir "$work/program"
printf 'write-file tips.txt "a tip"\nstart\n' >"$work/files.txt"
[ "$(status "$runner" --program-dir "$work/program" "$work/files.txt")" = 0 ] ||
    fail "--program-dir: $(cat "$work/err")"
[ "$(cat "$work/program/tips.txt")" = "a tip" ] || fail "write-file did not write into --program-dir"

exit $failed
