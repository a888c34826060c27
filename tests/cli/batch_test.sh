#!/usr/bin/env bash
# batch_test.sh VOSTREL_CLI MESHES
# The README's batch commands over a folder of meshes, one of which cannot be read: GNU
# parallel and xargs -P each run one vostrel-cli a file, write the outputs named after
# the inputs, and end non-zero naming the file that failed.
set -euo pipefail
cli=$(realpath "$1") meshes=$2
inputs=(cow.obj suzanne.obj teapot.obj invalid_negative_index.obj)
for name in "${inputs[@]}"; do
    if [ ! -f "$meshes/$name" ]; then
        # Read as a skip by scripts/skip-summary.sh, as GoogleTest's are.
        printf 'batch_test.sh: Skipped\nneeds %s/%s (the shared data beside the clone)\n' \
            "$meshes" "$name"
        echo "[  SKIPPED ] cli.batch_over_folder"
        exit 77
    fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/meshes"
for name in "${inputs[@]}"; do cp "$meshes/$name" "$work/meshes/"; done
cd "$work"
export PATH="$(dirname "$cli"):$PATH"
status=0

check() { # check TOOL EXIT_STATUS ERRORS
    local tool=$1 exit_status=$2 errors=$3 name
    for name in cow suzanne teapot; do
        [ -s "out/$name.ply" ] || { echo "$tool: no out/$name.ply"; status=1; }
    done
    [ ! -e out/invalid_negative_index.ply ] || { echo "$tool: wrote the failed file"; status=1; }
    [ "$exit_status" -ne 0 ] || { echo "$tool: exit status 0 despite a failed file"; status=1; }
    grep -q "meshes/invalid_negative_index.obj" "$errors" ||
        { echo "$tool: the failed file is not named:"; cat "$errors"; status=1; }
    rm -rf out
}

mkdir out
rc=0
parallel --tag vostrel-cli convert {} out/{/.}.ply ::: meshes/*.obj >/dev/null 2>errors || rc=$?
check parallel $rc errors

mkdir out
rc=0
printf '%s\0' meshes/*.obj | xargs -0 -P "$(nproc)" -I{} sh -c \
    'vostrel-cli convert "$1" "out/$(basename "$1" .obj).ply" || { echo "failed: $1" >&2; exit 1; }' _ {} \
    >/dev/null 2>errors || rc=$?
check xargs $rc errors
exit $status
