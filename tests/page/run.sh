#!/usr/bin/env bash
# The review page's logic (review/page/*.js) under Node's own test runner;
# skipped (77) where Node is missing.
set -eu
command -v node >/dev/null || { echo "SKIP: node is missing (apt-get install nodejs)" >&2; exit 77; }
cd "$(dirname "$0")"
exec node --test ./*.test.js
