#!/usr/bin/env bash
# man-page-test.sh PAGE [VOSTREL_CLI]
# The manual page reads without a warning from man; given the program, every command
# that its --help lists has a section of its own in the page.
set -euo pipefail
page=$1
status=0
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
[ -z "$warnings" ] || { echo "$page: man warns: $warnings"; status=1; }
if [ $# -gt 1 ]; then
    text=$(zcat -f "$page")
    for command in $("$(dirname "$0")/cli-commands.sh" --list "$2"); do
        grep -qx "\.SS $command" <<<"$text" ||
            { echo "$page: no section for '$command'"; status=1; }
    done
fi
exit $status
