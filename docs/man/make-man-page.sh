#!/usr/bin/env bash
# Makes the man page egm2008(1) from the tool's own --help texts with Debian's
# help2man, so that the help and the man page cannot say different things.
# help2man turns `egm2008 --help` into the page; each command the help lists
# under "Subcommands:" (and each of theirs, such as "grids install") becomes a
# section of its own, made by help2man from that command's --help; INCLUDE adds
# what no help says (environment, files, exit status on a signal, see also).
# Indented lines of a help (examples, file names) stay one to a line.
#
# usage: make-man-page.sh EGM2008 INCLUDE OUTPUT
set -euo pipefail

tool=${1:?usage: make-man-page.sh EGM2008 INCLUDE OUTPUT}
include=${2:?}
output=${3:?}
help2man=${HELP2MAN:-help2man}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The commands a --help lists under "Subcommands:"; $1 is the command path ("" for the tool).
subcommands() {
  # shellcheck disable=SC2086  # the path splits into its words
  "$tool" $1 --help | awk '/^Subcommands:$/ { on = 1; next } on && /^$/ { exit } on { print $1 }'
}

# help2man's page for `egm2008 $1 --help`, as a section of an include file: the
# page's own sections become subsections, a help line starting with "[" or "/"
# is kept from being read as an include file's section or pattern.
command_section() {
  "$help2man" --no-info --locale=C.UTF-8 --version-string=egm2008 --name=egm2008 --help-option="$1 --help" "$tool" |
    awk -v title="$1" '
      BEGIN { print "[" toupper(title) " COMMAND]" }
      /^\.\\"/ || /^\.TH / { next }
      /^\.SH NAME$/ { skip = 1; next }
      /^\.SH SYNOPSIS$/ { skip = 0; next }
      skip { next }
      /^\.SH DESCRIPTION$/ { print ".PP"; next }
      /^\.SH OPTIONS$/ { print ".SS \"Options:\""; next }
      /^\.SH EXAMPLES$/ { print ".SS \"Examples:\""; next }
      /^\.SH / { sub(/^\.SH /, ".SS ") }
      /^[[\/]/ { $0 = "\\&" $0 }
      { print }'
}

for command in $(subcommands ""); do
  command_section "$command"
  for sub in $(subcommands "$command"); do command_section "$command $sub"; done
done >"$work/commands.h2m"

# The page; then every indented block (.IP) kept line for line, a quote inside
# a quoted heading written as \(dq so that the heading stays one argument, and
# every character beyond ASCII (the helps are UTF-8) as its roff escape.
"$help2man" --no-info --locale=C.UTF-8 --include="$work/commands.h2m" --include="$include" "$tool" |
  awk '
    block && /^\./ { print ".fi"; block = 0 }
    /^\.S[HS] ".*"$/ {
      text = substr($0, 6, length($0) - 6)
      gsub(/"/, "\\(dq", text)
      $0 = substr($0, 1, 5) text "\""
    }
    { print }
    /^\.IP$/ { print ".nf"; block = 1 }
    END { if (block) print ".fi" }' |
  perl -CSD -pe 's/([^\x00-\x7F])/sprintf("\\[u%04X]", ord $1)/ge' >"$work/egm2008.1"
mv "$work/egm2008.1" "$output"
