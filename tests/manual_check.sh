#!/usr/bin/env bash
# Checks the manual page against the program.
#
#   manual_check.sh options <kavel> <page> <source-dir>
#     Every option the driver compares whole (read from its source) and every
#     switch letter the binary accepts in a group has an item of its own in
#     the page (a .TP tag) and a line of its own in the --help text, every
#     switch letter stands in the SYNOPSIS group,
#     every message of the sources' table of texts is described, and the sections a
#     reader looks for exist.
#   manual_check.sh groff <page>
#     groff reports no warnings for the page on any device; exits 77 (skip)
#     when groff is not installed.
set -u

fail=0
bad() {
  echo "FAIL: $*" >&2
  fail=1
}

# The page's text with the troff escapes it uses turned back into characters.
plain_page() {
  sed -e 's/\\f[BIRP]//g' -e 's/\\(dq/"/g' -e "s/\\\\(aq/'/g" -e 's/\\(ga/`/g' \
    -e 's/\\-/-/g' -e 's/\\&//g' -e 's/\\e/\\/g' -e 's/\\ / /g' "$1"
}

# Tag lines: the line after each .TP, in plain text.
tag_lines() {
  plain_page "$1" | awk 'tag { print; tag = 0 } /^\.TP/ { tag = 1 }'
}

check_options() {
  local kavel page=$2 source=$3
  kavel=$(readlink -f "$1")
  local driver=$source/src/driver/kavelt_main.cc
  [ -f "$page" ] || { bad "no page at $page"; return; }
  [ -f "$driver" ] || { bad "no driver source at $driver"; return; }

  # Options the driver compares as whole arguments ("-EUC", "-l", "--help", ...).
  local whole
  whole=$(sed 's://.*$::' "$driver" | grep -o '"--\?[A-Za-z][A-Za-z-]*"' | tr -d '"' | sort -u)
  [ -n "$whole" ] || bad "found no whole-argument options in $driver"

  # Switch letters as the binary takes them: one group of every letter and
  # digit; the ones not reported as unknown are the switches.
  local work
  work=$(mktemp -d)
  printf 'int f(void)\n{\n    return 0;\n}\n' >"$work/t.c"
  [ "$(cd "$work" && "$kavel" t.c 2>&1)" = f ] || bad "$kavel does not list a one-function file"
  local all="" c accepted="" rejected
  for c in {a..z} {A..Z} {0..9}; do all="$all$c"; done
  rejected=$(cd "$work" && "$kavel" "-$all" t.c 2>&1 >/dev/null |
    sed -n 's/^-\(.\): unknown option$/\1/p' | tr -d '\n')
  rm -rf "$work"
  for c in {a..z} {A..Z} {0..9}; do
    case $rejected in
      *"$c"*) ;;
      *) accepted="$accepted -$c" ;;
    esac
  done
  [ -n "$rejected" ] || bad "no letter was reported as unknown: the probe tells nothing"
  [ -n "$accepted" ] || bad "the binary accepted no switch letter"

  local tags opt letter help
  tags=$(tag_lines "$page")
  help=$("$kavel" --help) || bad "$kavel --help failed"
  for opt in $whole $accepted; do
    # An item whose tag names the option, followed by a blank or the line end.
    grep -Eq -- "(^|[ ,])${opt}( |\$)" <<<"$tags" || bad "option $opt has no item in the page"
    grep -Eq -- "^ +${opt}( |\$)" <<<"$help" || bad "option $opt has no line in --help"
  done

  # The switch letters are shown in the SYNOPSIS group.
  local synopsis group
  synopsis=$(plain_page "$page" | awk '/^\.SH/ { on = ($2 == "SYNOPSIS") } on')
  group=$(grep -o '\[ *-[a-z][a-z]* *\]' <<<"$synopsis" | head -n 1)
  for opt in $accepted; do
    letter=${opt#-}
    case $group in
      *"$letter"*) ;;
      *) bad "switch $opt is missing from the SYNOPSIS group ${group:-(none)}" ;;
    esac
  done

  local section
  for section in NAME SYNOPSIS DESCRIPTION OPTIONS OUTPUT DIAGNOSTICS "EXIT STATUS" \
    ENCODINGS LIMITS EXAMPLES "SEE ALSO"; do
    grep -qx "\.SH $section" "$page" || bad "section $section is missing"
  done

  # Every message text the program writes, read from the table of them. A
  # conversion (%s, %d, %c) in it stands for whatever the page puts there;
  # leading and trailing newlines are not text.
  local text messages msg pattern
  text=$(plain_page "$page")
  messages=$(sed -n 's/^const char kMsg[A-Za-z]*\[\] = "\(\([^"\\]\|\\.\)*\)".*/\1/p' \
    "$source/src/support/message_texts.cc" |
    sed -e 's/^\(\\n\)*//' -e 's/\(\\n\)*$//' -e 's/\\"/"/g' |
    grep -v '^%s$' | sort -u)
  [ -n "$messages" ] || bad "found no messages in the sources"
  while IFS= read -r msg; do
    [ -n "$msg" ] || continue
    pattern=$(sed -e 's/[][\.*^$(){}?+|/]/\\&/g' -e 's/%[sdc]/.*/g' <<<"$msg")
    grep -Eq -- "$pattern" <<<"$text" || bad "message not described: $msg"
  done <<<"$messages"

  [ "$fail" -eq 0 ] && echo "page describes: $(tr "\n" " " <<<"$whole")and$accepted"
}

check_groff() {
  local page=$1 dev out
  if ! command -v groff >/dev/null 2>&1; then
    echo "groff not found: skipped"
    exit 77
  fi
  for dev in ps utf8 ascii; do
    # A device this groff does not ship is no fault of the page.
    groff -z -T"$dev" </dev/null >/dev/null 2>&1 || { echo "groff has no device $dev"; continue; }
    out=$(groff -ww -z -man -T"$dev" "$page" 2>&1) || bad "groff -T$dev failed"
    [ -z "$out" ] || bad "groff -T$dev warns: $out"
  done
}

case ${1:-} in
  options) check_options "$2" "$3" "$4" ;;
  groff) check_groff "$2" ;;
  *)
    echo "usage: $0 options <kavel> <page> <source-dir> | groff <page>" >&2
    exit 2
    ;;
esac
exit "$fail"
