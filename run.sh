#!/usr/bin/env bash
# Installs what is missing, builds, and starts pvedit connected to a simulated unit (pvsim)
# on a pseudo-terminal, showing the example data file assets/examples/EXAMPLE.PVD. Extra
# arguments go to pvedit instead (for example another .PVD file to open).
# PVSIM_OPTIONS, for example "--psi --mode-b", shapes the simulated unit (pvsim --help lists
# them); PV_BUILD_DIR picks another build folder than build/.
set -euo pipefail
cd "$(dirname "$0")"
build=${PV_BUILD_DIR:-build}
./scripts/install-packages.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
# Only the two programs this script starts, and what they need; ./test.sh builds the rest.
targets=(pvsim)
# Read whole before matching: grep -q stopping early would break the pipe under pipefail.
if grep -q '^pvedit:' <<<"$(cmake --build "$build" --target help)"; then
  targets+=(pvedit)
fi
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"

if [[ ! -x "$build"/bin/pvedit ]]; then
  echo "$build/bin/pvedit was not built (the window program needs Qt 6 Widgets)." >&2
  exit 1
fi

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
  cat >&2 <<'MSG'
There is no display to show pvedit on; it is built now. Run it inside a virtual one and take
a picture of what it shows from inside the same virtual display (import is in the imagemagick
package):

    xvfb-run -a -s "-screen 0 1280x900x24" \
      sh -c './run.sh & sleep 15; import -window root shot.png; kill $!'
MSG
  exit 2
fi

if [[ ! -x "$build"/bin/pvsim ]]; then
  echo "$build/bin/pvsim was not built: starting pvedit without a simulated unit." >&2
  exec "$build"/bin/pvedit "$@"
fi

if [[ $# -eq 0 ]]; then
  set -- "$PWD/assets/examples/EXAMPLE.PVD"
fi

# pvedit is given a link that pvsim removes when it ends, never the terminal itself: once the
# unit is gone the program says it cannot open the port instead of talking to whatever
# program the system hands the terminal to next.
work=$(mktemp -d)
link="$work/pvsim-tty"
fifo="$work/ready"
mkfifo "$fifo"
# Replies paced like the real line: a recording times the unit to choose its interval.
"$build"/bin/pvsim --drive street --baud-timing --link "$link" ${PVSIM_OPTIONS:-} >"$fifo" &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null; rm -rf "$work"' EXIT
if ! read -r port <"$fifo"; then
  echo "pvsim did not start." >&2
  exit 1
fi
echo "Simulated unit on $port"
PVEDIT_PORT="$port" "$build"/bin/pvedit "$@"
