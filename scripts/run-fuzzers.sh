#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a short while over its seed folder
# (fuzz/seeds/<target>), so that CI catches crashes on hostile input.
set -euo pipefail
build=${1:-build-fuzz}
seconds=${FUZZ_SECONDS:-8}
root=$(cd "$(dirname "$0")/.." && pwd)
status=0
for target in "$build"/fuzz/fuzz_*; do
  [[ -x "$target" ]] || continue
  name=$(basename "$target")
  seeds="$root/fuzz/seeds/${name#fuzz_}"
  work=$(mktemp -d)
  [[ -d "$seeds" ]] && cp -r "$seeds"/. "$work"/
  echo "== $name (${seconds}s)"
  # A crashing input is kept in the build folder, never dropped into the source tree.
  if ! "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=0 \
      -artifact_prefix="$build/" "$work" >"$work.log" 2>&1; then
    tail -n 40 "$work.log"
    status=1
  fi
  rm -rf "$work" "$work.log"
done
exit $status
