#!/usr/bin/env bash
# test-package.sh [OUTDIR]
# Makes the Debian package (scripts/package.sh OUTDIR), checks it with lintian, unpacks it
# into a folder of its own (nothing is installed on the machine) and runs the installed
# programs from there: help without a display, a rendering of the installed sample; then
# checks the desktop entry, the AppStream metadata, the manual pages and the completion.
# A checker that is missing is skipped with a message naming it.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-build/package}
scripts/package.sh "$out" >/dev/null
deb=$(ls "$out"/vostrel_*.deb)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
status=0
fail() { echo "FAILED: $*"; status=1; }
have() { command -v "$1" >/dev/null || { echo "SKIPPED: $2 ($1 is not installed)"; return 1; }; }

echo "== $deb: $(dpkg-deb -f "$deb" Depends)"
if have lintian "the lintian check"; then
    # Errors fail the check; warnings are listed.
    lintian --fail-on error --suppress-tags-from-file /dev/null "$deb" || fail "lintian reports errors"
fi

dpkg -x "$deb" "$root"
usr=$root/usr
for file in bin/vostrel bin/vostrel-cli share/applications/vostrel.desktop \
    share/metainfo/io.github.vostrel.Vostrel.metainfo.xml share/man/man1/vostrel.1.gz \
    share/man/man1/vostrel-cli.1.gz share/bash-completion/completions/vostrel-cli \
    share/icons/hicolor/48x48/apps/vostrel.png share/icons/hicolor/scalable/apps/vostrel.svg \
    share/vostrel/icons/lights.png share/vostrel/data/spot.obj share/doc/vostrel/copyright; do
    [ -e "$usr/$file" ] || fail "the package has no /usr/$file"
done

# From the unpacked folder, without a display. The help is read whole before it is
# searched: a grep that stops at the first match would break the program's pipe.
(
    unset DISPLAY WAYLAND_DISPLAY
    cd "$root"
    help=$("$usr/bin/vostrel-cli" --help) && grep -q "render" <<<"$help" ||
        fail "vostrel-cli --help lists no render"
    "$usr/bin/vostrel-cli" render "$usr/share/vostrel/data/spot.obj" -o "$root/spot.png" --fit \
        >/dev/null || fail "the installed vostrel-cli could not render the installed sample"
    [ -s "$root/spot.png" ] || fail "no rendering of the installed sample"
    help=$("$usr/bin/vostrel" --help) && grep -q "^Usage: vostrel" <<<"$help" ||
        fail "vostrel --help"
    exit $status
) || status=1

if have desktop-file-validate "the desktop entry check"; then
    desktop-file-validate "$usr/share/applications/vostrel.desktop" || fail "desktop-file-validate"
fi
if have appstreamcli "the AppStream check"; then
    appstreamcli validate --no-net "$usr/share/metainfo/io.github.vostrel.Vostrel.metainfo.xml" \
        >/dev/null || fail "appstreamcli validate"
fi
if have man "the manual page check"; then
    packaging/man-page-test.sh "$usr/share/man/man1/vostrel.1.gz" || fail "vostrel(1)"
    packaging/man-page-test.sh "$usr/share/man/man1/vostrel-cli.1.gz" "$usr/bin/vostrel-cli" ||
        fail "vostrel-cli(1)"
fi

# The completion offers the commands, then a command's options.
completions() {
    # shellcheck disable=SC1091
    source "$usr/share/bash-completion/completions/vostrel-cli"
    COMP_WORDS=("$usr/bin/vostrel-cli" "$@")
    COMP_CWORD=$#
    _vostrel_cli "$usr/bin/vostrel-cli"
    printf '%s\n' "${COMPREPLY[@]}"
}
completions ren | grep -x render >/dev/null || fail "the completion does not offer render"
completions render --per | grep -x -- --perspective >/dev/null ||
    fail "the completion offers no --perspective"

[ $status -eq 0 ] && echo "== the package passed every check"
exit $status
