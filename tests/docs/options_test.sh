#!/usr/bin/env bash
# Every option and exit status that orvane --help lists is in the manual page and in the
# manual's page on the command line, and neither documents an option the program does not have.
#   options_test.sh PROGRAM SOURCE_FOLDER
set -uo pipefail

program=$1
source=$2
failed=0
fail() {
    echo "options: FAILED: $*" >&2
    failed=1
}

help=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen "$program" --help </dev/null) ||
    { echo "options: FAILED: $program --help" >&2; exit 1; }
# The manual page as a reader sees its words: roff's escaped dashes and font changes undone.
man_page=$source/resources/orvane.1
man=$(sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$man_page")
manual_page=$source/docs/manual/command-line.md
manual=$(cat "$manual_page")

# Qt lists each option at the start of a line: "  -h, --help" or "  --serve <[ADDRESS:]PORT>".
options=$(printf '%s\n' "$help" | grep -oE '^  (-[a-zA-Z], )?--[a-z][a-z-]*' | grep -oE -- '-[a-zA-Z]|--[a-z][a-z-]*')
[ "$(printf '%s\n' "$options" | grep -c -- '^--')" -ge 10 ] ||
    fail "--help lists too few options to be read right: $options"
mentions() {
    grep -qE -- "(^|[^a-zA-Z-])$1([^a-zA-Z-]|$)" <<<"$2"
}
for option in $options; do
    mentions "$option" "$man" || fail "$option, listed by --help, is not in $man_page"
    mentions "$option" "$manual" || fail "$option, listed by --help, is not in $manual_page"
done

# The options each document: the manual page's .TP heads, the manual's tables' first cells.
documented_man=$(grep -A1 '^\.TP' <<<"$man" | grep -oE -- '^(\.[A-Z]+ )?[^ ]*--[a-z][a-z-]*' | grep -oE -- '--[a-z][a-z-]*')
documented_manual=$(printf '%s\n' "$manual" | grep -oE -- '^\| `(-[a-zA-Z]`, `)?--[a-z][a-z-]*' | grep -oE -- '--[a-z][a-z-]*')
for option in $documented_man; do
    mentions "$option" "$options" || fail "$man_page documents $option, which --help does not list"
done
for option in $documented_manual; do
    mentions "$option" "$options" || fail "$manual_page documents $option, which --help does not list"
done
[ "$(printf '%s\n' "$documented_man" | sort -u | wc -l)" -ge 10 ] ||
    fail "$man_page documents too few options to be read right"

# Exit statuses: "  N  ..." after "Exit status:" in --help; ".B N" under EXIT STATUS in the
# manual page; "| N |" rows in the manual.
statuses=$(printf '%s\n' "$help" | sed -n '/^Exit status:/,/^$/p' | grep -oE '^  [0-9]+ ' | tr -d ' ')
[ -n "$statuses" ] || fail "--help lists no exit status"
man_statuses=$(printf '%s\n' "$man" | sed -n '/^\.SH EXIT STATUS/,/^\.SH/p' | sed -n 's/^\.B \([0-9]*\)$/\1/p')
manual_statuses=$(printf '%s\n' "$manual" | sed -n '/^## Exit status/,/^## /p' | sed -n 's/^| \([0-9]*\) |.*/\1/p')
[ "$(echo $statuses)" = "$(echo $man_statuses)" ] ||
    fail "--help lists exit statuses $(echo $statuses), $man_page $(echo $man_statuses)"
[ "$(echo $statuses)" = "$(echo $manual_statuses)" ] ||
    fail "--help lists exit statuses $(echo $statuses), $manual_page $(echo $manual_statuses)"

# ORVANE_INSTANCE_NAME, which a follower beside its leader needs, is in all three.
for text in help man manual; do
    [[ ${!text} == *ORVANE_INSTANCE_NAME* ]] || fail "ORVANE_INSTANCE_NAME is not in the $text"
done

[ $failed = 0 ] && echo "options: passed ($(echo $options))"
exit $failed
