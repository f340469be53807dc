#!/usr/bin/env bash
# Records assets/examples/DRIVE.PVL again: pvtool unit record from pvsim driving its street
# cycle, the full-throttle pulls marked. The result is kept in the repository; run this only
# after changing the simulated car. Takes the recording's own time (SAMPLES x 100 ms).
# Usage: scripts/record-drive.sh [OUT.PVL]   (SAMPLES, SEED and PV_BUILD_DIR may be set)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${PV_BUILD_DIR:-build}
out=${1:-assets/examples/DRIVE.PVL}
samples=${SAMPLES:-2400}
seed=${SEED:-3}
for p in pvsim pvtool; do
  [[ -x $build/bin/$p ]] || { echo "$build/bin/$p is not built" >&2; exit 1; }
done

work=$(mktemp -d)
sim=
trap '[[ -n $sim ]] && kill $sim 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
mkfifo "$work/ready"
# Paced like the real line, so that the recording's timing test chooses 100 ms.
"$build"/bin/pvsim --drive street --seed "$seed" --baud-timing --link "$work/tty" \
  >"$work/ready" &
sim=$!
read -r port <"$work/ready" || { echo "pvsim did not start" >&2; exit 1; }
# The window program's settings and data folders stay untouched: a home of its own.
HOME=$work "$build"/bin/pvtool unit record "$out" --samples "$samples" --mark-throttle 100 \
  --port "$port"
