#!/usr/bin/env bash
# `make format`: every C++ file of the tree in the house style (.clang-format).
# `make format-check` (--check): changes nothing, and fails listing the files that differ.
# The style is pinned to one major version of clang-format: another one lays some lines out
# differently, so its verdict would not be the house style's.
set -euo pipefail
cd "$(dirname "$0")/.."

pinned_major=14
formatter=clang-format-$pinned_major
command -v "$formatter" >/dev/null || formatter=clang-format
found=$("$formatter" --version 2>/dev/null | sed -n 's/.*clang-format version \([0-9]*\)\..*/\1/p' || true)
if [[ "$found" != "$pinned_major" ]]; then
  echo "The house style needs clang-format $pinned_major; found: ${found:-none}." >&2
  echo "Install it with scripts/ensure-deps.sh format (the Debian package clang-format-$pinned_major)." >&2
  exit 1
fi

mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [[ ${1:-} == --check ]]; then
  differing=()
  for file in "${files[@]}"; do
    "$formatter" --dry-run --Werror "$file" >/dev/null 2>&1 || differing+=("$file")
  done
  if [[ ${#differing[@]} -gt 0 ]]; then
    echo "Not in the house style (run make format):" >&2
    printf '  %s\n' "${differing[@]}" >&2
    exit 1
  fi
  exit 0
fi
"$formatter" -i "${files[@]}"
