#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang into build/fuzz and runs each for
# the given seconds (default 90), with a corpus under build/fuzz/corpus/<target> seeded from
# tests/fuzz/seeds/<target>. Prints target, time, executions and findings; a finding's input
# is kept in build/fuzz/findings/<target>/ and the run's log beside it. Exit 1 on any finding.
# Not part of scripts/test.sh: it takes many minutes.
#   bash scripts/fuzz.sh [seconds-per-target] [target ...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-90}
shift || true
build="$root/build/fuzz"

packages=(clang libclang-rt-14-dev)
. "$root/scripts/packages.sh"
ensure_packages "${packages[@]}"

cmake -S "$root" -B "$build" -G Ninja -DWIZ_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j 2

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for exe in "$build"/bin/fuzz_*; do targets+=("$(basename "$exe" | sed 's/^fuzz_//')"); done
fi

rows=()
failed=0
for t in "${targets[@]}"; do
  exe="$build/bin/fuzz_$t"
  corpus="$build/corpus/$t"
  findings="$build/findings/$t"
  mkdir -p "$corpus" "$findings"
  seeds=()
  [ -d "$root/tests/fuzz/seeds/$t" ] && seeds=("$root/tests/fuzz/seeds/$t")
  log="$findings/run.log"
  echo "fuzz: $t for ${seconds}s"
  start=$(date +%s)
  # libFuzzer stops at the first finding and exits non-zero; the table says which.
  "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
    -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" "${seeds[@]}" >"$log" 2>&1 || true
  took=$(( $(date +%s) - start ))
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  found=$(find "$findings" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
  [ "$found" -gt 0 ] && failed=1
  rows+=("$t|${took}s|${execs:-?}|$found")
done

printf '\n%-18s %8s %12s %9s\n' target time executions findings
for r in "${rows[@]}"; do
  IFS='|' read -r t took execs found <<<"$r"
  printf '%-18s %8s %12s %9s\n' "$t" "$took" "$execs" "$found"
done
[ "$failed" = 0 ] || { echo "fuzz: findings kept in $build/findings/<target>/" >&2; exit 1; }
