#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what .clang-format makes of it.
# The style is pinned to one clang-format major version: another version lays
# out some constructs differently, and the check would then accuse code that
# is in the house style. Exit 77 (skipped) when that version is missing.
set -u
cd "$(dirname "$0")/../.."
want=14
tool=""
for t in clang-format-$want clang-format; do
  if command -v "$t" >/dev/null && "$t" --version | grep -q "version $want\."; then tool=$t; break; fi
done
if [ -z "$tool" ]; then
  echo "skipped: clang-format $want is not installed (scripts/install-deps.sh test installs it)"
  exit 77
fi
if ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  echo "skipped: not a git checkout, so there is no list of tracked files"
  exit 77
fi
mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
# One run over every file; its warnings name each file out of style.
bad=$("$tool" --dry-run "${files[@]}" 2>&1 | grep -oE '^[^:]+\.(cpp|h):' | tr -d : | sort -u)
if [ -n "$bad" ]; then
  echo "not in the house style (fix with: $tool -i FILE):"
  echo "$bad"
  exit 1
fi
echo "${#files[@]} files in the house style"
