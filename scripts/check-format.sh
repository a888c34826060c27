#!/usr/bin/env bash
# Fails, naming the files, when a C++ source differs from what clang-format makes of it
# with the project's .clang-format. `scripts/check-format.sh --fix` rewrites them. Code
# copied from elsewhere (bench/fast_obj) keeps its own layout.
set -euo pipefail
cd "$(dirname "$0")/.."
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files '*.cpp' '*.h' ':!bench/fast_obj')
else
  mapfile -t files < <(find . \( -path ./build -o -path ./bench/fast_obj \) -prune -o \( -name '*.cpp' -o -name '*.h' \) -print)
fi
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
clang-format --dry-run --Werror "${files[@]}"
