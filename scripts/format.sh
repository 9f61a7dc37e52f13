#!/usr/bin/env bash
# `make format`: every C++ file of the tree in the house style (.clang-format).
# `make format-check` (--check): changes nothing, and fails listing the files that differ.
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [[ ${1:-} == --check ]]; then
  differing=()
  for file in "${files[@]}"; do
    clang-format --dry-run --Werror "$file" >/dev/null 2>&1 || differing+=("$file")
  done
  if [[ ${#differing[@]} -gt 0 ]]; then
    echo "Not in the house style (run make format):" >&2
    printf '  %s\n' "${differing[@]}" >&2
    exit 1
  fi
  exit 0
fi
clang-format -i "${files[@]}"
