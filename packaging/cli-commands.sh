#!/usr/bin/env bash
# cli-commands.sh [--list] VOSTREL_CLI
# Prints a help2man include file whose COMMANDS section holds the help of every command
# that `VOSTREL_CLI --help` lists, as the program prints it, so that the manual page says
# what the program does; with --list, only the commands' names.
set -euo pipefail
list=false
[ "$1" = --list ] && { list=true; shift; }
cli=$1
commands=$("$cli" --help | awk '/^[A-Za-z]+:$/ { in_list = ($0 == "Subcommands:"); next }
    in_list && /^  [a-z]/ && $1 != "help" { print $1 }')
[ -n "$commands" ] || { echo "cli-commands.sh: $cli --help lists no commands" >&2; exit 1; }
if $list; then
    echo "$commands"
    exit 0
fi

# Lines as they are: backslashes escaped, and a line that would start a request guarded.
as_roff() { sed -e 's/\\/\\e/g' -e "s/^\\([.']\\)/\\\\\\&\\1/"; }

echo "[COMMANDS]"
echo "Each command's help is also printed by \\fBvostrel-cli help\\fR \\fICOMMAND\\fR and by"
echo "\\fBvostrel-cli\\fR \\fICOMMAND\\fR \\fB--help\\fR."
for command in $commands; do
    echo ".SS $command"
    echo ".nf"
    "$cli" help "$command" | as_roff
    echo ".fi"
done
