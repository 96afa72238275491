#!/bin/sh
# Runs one story: orvane-script RUNNER must run STORY to the end, and what it prints must be
# exactly the story's "#>" lines, so an unexpected message box or a missing end-program
# fails the story as surely as a failed expect.
set -u
runner=$1
story=$2
actual=$(mktemp)
expected=$(mktemp)
trap 'rm -f "$actual" "$expected"' EXIT
"$runner" "$story" >"$actual" || exit 1
sed -n 's/^[[:space:]]*#> \{0,1\}//p' "$story" >"$expected"
if ! cmp -s "$expected" "$actual"; then
    echo "$story: the printed lines differ from its #> lines (- expected, + printed):" >&2
    diff -u "$expected" "$actual" | tail -n +3 >&2
    exit 1
fi
