#!/usr/bin/env bash
# The man page made from the help texts (docs/man/make-man-page.sh): man renders
# it without a warning (as lintian asks), and it has a section for every command
# `egm2008 --help` lists.
#
# usage: check_man_page.sh EGM2008 PAGE
set -euo pipefail
tool=${1:?usage: check_man_page.sh EGM2008 PAGE}
page=${2:?}
fail() { printf 'check_man_page: %s\n' "$*" >&2; exit 1; }

warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "man warns: $warnings"
for command in $("$tool" --help | awk '/^Subcommands:$/ { on = 1; next } on && /^$/ { exit } on { print $1 }'); do
  heading=".SH \"$(tr '[:lower:]' '[:upper:]' <<<"$command") COMMAND\""
  grep -qxF "$heading" "$page" || fail "no section $heading"
done
echo "check_man_page: $(basename "$page") is sound"
