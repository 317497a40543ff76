#!/usr/bin/env bash
# Builds everything (Linux core, both Windows builds) and runs every test: the unit tests
# natively and the end-to-end tests with the 64-bit build under Wine and Xvfb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
for preset in win64 win32 host; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
ctest --test-dir build/host --output-on-failure -j 2 "$@"
