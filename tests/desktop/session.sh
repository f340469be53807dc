#!/usr/bin/env bash
# A desktop of its own for one smoke test: an X server (Xvfb) on a free display, the openbox
# window manager, a simulated unit (pvsim) on a pseudo-terminal and a copy of the program
# folder in a temporary folder; then COMMAND runs inside it, from the copied program folder.
#   session.sh BIN_DIR TESTS_DIR SHOTS_DIR EXAMPLES_DIR -- COMMAND [ARG]...
# COMMAND finds: DISPLAY, QT_QPA_PLATFORM=xcb, PVEDIT_PORT (the unit), PV_DESKTOP_WORK (the
# temporary folder, whose prog/ holds pvedit, desktop_smoke and what they need beside them,
# and docs/ a copy of the example files)
# and PV_DESKTOP_SHOTS (where screenshots of failures go). Everything is ended and removed
# afterwards; the exit status is COMMAND's.
set -uo pipefail
bin_dir=$1
tests_dir=$2
shots=$3
examples=$4
shift 4
[[ ${1:-} == -- ]] && shift

say() { echo "session: $*" >&2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/pv_desktop.XXXXXX")
pids=()
teardown() {
  # The last started goes first: the program, the unit, the window manager, the X server.
  local i
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null
    wait "${pids[i]}" 2>/dev/null
  done
  [[ -n ${PV_DESKTOP_KEEP:-} ]] && say "kept $work" || rm -rf "$work"
}
trap teardown EXIT
trap 'exit 130' INT TERM

# Polls CONDITION every 20 ms for at most 10 s.
wait_for() {
  local what=$1
  shift
  local i
  for ((i = 0; i < 500; i++)); do
    "$@" && return 0
    sleep 0.02
  done
  say "timed out waiting for $what"
  return 1
}

prog="$work/prog"
mkdir -p "$prog" "$work/home" "$work/config" "$work/data" "$work/cache" "$work/run" "$shots"
chmod 700 "$work/run"
for f in pvedit libPVDLang.so SPLASH.BMP pveditE.html pveditJ.html pvedit.png; do
  cp "$bin_dir/$f" "$prog/" || exit 1
done
cp "$tests_dir/desktop_smoke" "$prog/" || exit 1
cp -r "$examples" "$work/docs" || exit 1

# Nothing of the caller's desktop or session may reach the programs.
unset DISPLAY WAYLAND_DISPLAY XAUTHORITY SESSION_MANAGER DBUS_SESSION_BUS_ADDRESS \
  QT_QPA_PLATFORMTHEME QT_STYLE_OVERRIDE QT_SCALE_FACTOR LANGUAGE LC_ALL
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
export XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/run"
export LANG=C.UTF-8 LC_ALL=C.UTF-8
export QT_QPA_PLATFORM=xcb
export PV_DESKTOP_WORK="$work" PV_DESKTOP_SHOTS="$shots"

# The server picks a free display number itself and writes it once it accepts clients.
mkfifo "$work/displayfd"
exec {numfd}<>"$work/displayfd"
Xvfb -displayfd "$numfd" -screen 0 1280x1024x24 -nolisten tcp -noreset \
  >"$work/xvfb.log" 2>&1 &
pids+=($!)
display=
read -r -t 10 -u "$numfd" display
exec {numfd}>&-
if [[ -z $display ]]; then
  say "Xvfb did not start"
  cat "$work/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$display"
server_ready() { xdotool getdisplaygeometry >/dev/null 2>&1; }
wait_for "the X server on $DISPLAY" server_ready || exit 1

# openbox with the system's default configuration and no session manager; it is ready once
# it has published its desktops on the root window, which it does after taking the screen.
openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
wm_ready() { xdotool get_num_desktops >/dev/null 2>&1; }
wait_for "openbox" wm_ready || exit 1

# The program is given a link that pvsim removes when it ends, never the terminal itself.
# The replies come at the pace of the real line: a recording times the unit to choose its
# interval, and a unit that answers at once has no interval to offer.
"$bin_dir/pvsim" --baud-timing --link "$work/unit-tty" >"$work/pvsim.out" 2>"$work/pvsim.log" &
pids+=($!)
unit_ready() { [[ -s $work/pvsim.out ]]; }
wait_for "pvsim" unit_ready || exit 1
export PVEDIT_PORT
PVEDIT_PORT=$(head -n 1 "$work/pvsim.out")

cd "$prog" || exit 1
"$@"
rc=$?
if ((rc != 0)); then
  say "'$*' ended with status $rc"
  for f in openbox.log pvsim.log; do
    [[ -s $work/$f ]] && { say "$f:"; cat "$work/$f" >&2; }
  done
fi
exit "$rc"
