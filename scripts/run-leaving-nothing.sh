#!/usr/bin/env bash
# Runs a command (make test's ctest) and fails if it left anything behind: a change in the
# working tree's `git status` (a file written, changed or removed in the sources), or a file
# in the temporary folder. The command gets a temporary folder of its own (TMPDIR), so that
# what other programs of the machine write meanwhile in /tmp is not taken for its own;
# it must be empty at the end, and is then removed.
#
#   scripts/run-leaving-nothing.sh COMMAND [ARGUMENT...]
set -uo pipefail
cd "$(dirname "$0")/.."

status() { git status --porcelain --untracked-files=all --ignored=no 2>/dev/null; }

before=$(status)
folder=$(mktemp -d "${TMPDIR:-/tmp}/orvalis-suite-XXXXXX")
# Like /tmp: the Wayland tests' programs run as another user and reach their own folder in it.
chmod 1777 "$folder"
TMPDIR=$folder "$@"
result=$?

left=$(cd "$folder" && find . -mindepth 1 -maxdepth 2 | sort)
if [[ -n "$left" ]]; then
  echo "The tests left in the temporary folder ($folder):" >&2
  echo "$left" | sed 's/^/  /' >&2
  result=1
else
  rmdir "$folder"
fi
after=$(status)
if [[ "$before" != "$after" ]]; then
  echo "The tests changed the working tree (git status before, then after):" >&2
  diff <(echo "$before") <(echo "$after") | sed 's/^/  /' >&2
  result=1
fi
exit $result
