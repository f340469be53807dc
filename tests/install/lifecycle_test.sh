#!/usr/bin/env bash
# The Debian package on this very system: installed with dpkg, the installed program run and
# closed on a virtual display by a user (nobody) and by root, then the package removed. Nothing
# of the program may be left but each user's settings and data, no desktop file in a home, and
# no file the package does not own anywhere else. Needs root; skipped (77) without it, without
# the window program, or when a pvedit package is installed already (it is left alone).
set -euo pipefail
build=$1
skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }

[[ $(id -u) == 0 ]] || skip "installing a package needs root"
[[ -x $build/bin/pvedit ]] || skip "no window program in this build"
for tool in dpkg cpack Xvfb openbox xdotool setpriv; do
  command -v "$tool" >/dev/null || skip "$tool is missing"
done
# One package test on the system at a time, whichever build runs it.
exec {lock}>/tmp/pvedit-package-test.lock
flock "$lock"
if dpkg-query -W -f '${Status}' pvedit 2>/dev/null | grep -q 'ok installed'; then
  skip "a pvedit package is installed already"
fi

work=$(mktemp -d /tmp/pv_lifecycle.XXXXXX)
chmod 755 "$work"
pids=()
installed=
cleanup() {
  local i
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null
    wait "${pids[i]}" 2>/dev/null
  done
  [[ -n $installed ]] && dpkg -r pvedit >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT

# Every path outside the homes that the package or its scripts could touch.
snapshot() {
  find /usr /etc /opt /srv /var/lib -xdev \( -path /var/lib/dpkg -o -path /var/lib/apt \) \
    -prune -o -print 2>/dev/null | sort
}

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/pkg" >"$work/cpack.log" 2>&1 \
  || { cat "$work/cpack.log" >&2; fail "cpack failed"; }
deb=$(ls "$work"/pkg/*.deb)
snapshot >"$work/before"
dpkg -i "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log" >&2; fail "dpkg -i"; }
installed=1

# The file types match in any case: a glob without the case-sensitive flag (":cs").
if [[ -f /usr/share/mime/globs2 ]]; then
  grep -qx '[0-9]*:application/x-pavex5-log:\*\.pvl' /usr/share/mime/globs2 \
    || fail "*.pvl is not a glob of any case: $(grep pavex5 /usr/share/mime/globs2)"
fi

# A display of our own, with a window manager to close the program through. The server must
# not reset when its last client leaves: each probe below is a client, and a window manager
# that connects during a reset is refused and never comes up.
mkfifo "$work/displayfd"
exec {numfd}<>"$work/displayfd"
Xvfb -displayfd "$numfd" -screen 0 1280x1024x24 -nolisten tcp -noreset \
  >"$work/xvfb.log" 2>&1 &
pids+=($!)
display=
read -r -t 10 -u "$numfd" display || true
exec {numfd}>&-
[[ -n $display ]] || { cat "$work/xvfb.log" >&2; fail "Xvfb did not start"; }
export DISPLAY=":$display"
wait_for() {  # at most 15 s
  local i
  for ((i = 0; i < 750; i++)); do "$@" && return 0; sleep 0.02; done
  return 1
}
wait_for xdotool getdisplaygeometry >/dev/null 2>&1 || fail "no X server"
openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
wm_pid=$!
wm_ready() {
  xdotool get_num_desktops >/dev/null 2>&1 && return 0
  kill -0 "$wm_pid" 2>/dev/null || { cat "$work/openbox.log" >&2; fail "openbox ended"; }
  return 1
}
wait_for wm_ready || { cat "$work/openbox.log" >&2; fail "openbox did not start"; }

# Runs /usr/bin/pvedit as USER with HOME, opening the example drive, and closes it as a hand
# would (Alt+F4 through the window manager), so that it writes its settings.
run_installed() {
  local user=$1 home=$2
  mkdir -p "$home/run"
  chown -R "$user" "$home"
  chmod 700 "$home/run"
  setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups \
    env -i HOME="$home" XDG_RUNTIME_DIR="$home/run" DISPLAY="$DISPLAY" PATH=/usr/bin:/bin \
    LANG=C.UTF-8 QT_QPA_PLATFORM=xcb \
    /usr/bin/pvedit /usr/share/pvedit/examples/DRIVE.PVL >"$work/pvedit-$user.log" 2>&1 &
  local pid=$!
  local win=
  # The main window, not the splash: wider than the splash picture, and focused.
  main_window() {
    local w width
    for w in $(xdotool search --onlyvisible --name '^Pavex Dravlo' 2>/dev/null); do
      width=$(xdotool getwindowgeometry --shell "$w" | sed -n 's/^WIDTH=//p')
      if ((width >= 800)) && [[ $(xdotool getwindowfocus 2>/dev/null) == "$w" ]]; then
        win=$w
        return 0
      fi
    done
    return 1
  }
  wait_for main_window || { cat "$work/pvedit-$user.log" >&2; fail "no main window for $user"; }
  xdotool key --clearmodifiers alt+F4
  gone() { ! kill -0 "$pid" 2>/dev/null; }
  wait_for gone || { kill "$pid"; fail "pvedit did not close for $user"; }
  wait "$pid" || fail "pvedit ended with status $? for $user"
}

# A home holds the settings (from the shipped first file) and at most the data folder.
check_home() {
  local who=$1 home=$2
  local ini="$home/.config/pvedit/pvedit.INI"
  [[ -f $ini ]] || fail "$who has no settings file in the config folder"
  grep -q '^DRAW1=1' "$ini" || fail "$who's first settings did not start from the shipped file"
  local stray
  stray=$(cd "$home" && find . -mindepth 1 \( -path ./run -o -path ./.config/pvedit \
    -o -path ./.local/share/pvedit -o -path ./.cache/fontconfig \) -prune -o -type f -print)
  [[ -z $stray ]] || fail "$who's home holds files of the program: $stray"
  [[ ! -e $home/.local/share/applications && ! -e $home/.local/share/mime ]] \
    || fail "the installed program wrote desktop files for $who"
}

mkdir -p "$work/user" "$work/root"
run_installed nobody "$work/user"
check_home nobody "$work/user"
run_installed root "$work/root"
check_home root "$work/root"
[[ ! -e /usr/bin/pvedit.INI ]] || fail "root's run wrote /usr/bin/pvedit.INI"

dpkg -r pvedit >>"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log" >&2; fail "dpkg -r"; }
installed=
snapshot >"$work/after"
left=$(comm -13 "$work/before" "$work/after")
[[ -z $left ]] || fail "left behind after removal: $left"
gone_files=$(comm -23 "$work/before" "$work/after")
[[ -z $gone_files ]] || fail "removed what was there before: $gone_files"
echo "installed, ran as nobody and root, removed: nothing left but the users' settings"
