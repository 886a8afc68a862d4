#!/usr/bin/env bash
# Runs one command on a private headless desktop: an X server, a session bus, the
# accessibility bus and its registry (and a compositor when asked), then stops all of
# them by pid and exits with the command's status.
#
#   scripts/headless-desktop.sh -- COMMAND ARGS...
#
# ZORBEL_DESKTOP_COMPOSITOR=1  also runs xcompmgr, so translucent windows are not black.
# ZORBEL_DESKTOP_WM=1          also runs openbox, so windows are managed, activated and raised.
# ZORBEL_DESKTOP_WM=fluxbox|icewm  runs that window manager instead (they raise windows above
#                              those that bypass the window manager; openbox does not).
# ZORBEL_DESKTOP_SCREEN        screen geometry, default 1280x800x24.
# ZORBEL_DESKTOP_TIMEOUT       seconds to wait for each daemon, default 10.
# Everything on the desktop gets a private HOME and TMPDIR, removed with the desktop.
set -uo pipefail

if [[ ${1:-} != "--" || $# -lt 2 ]]; then
  echo "usage: $0 -- COMMAND [ARGS...]" >&2
  exit 2
fi
shift

readonly SCREEN=${ZORBEL_DESKTOP_SCREEN:-1280x800x24}
readonly TIMEOUT_MS=$(( ${ZORBEL_DESKTOP_TIMEOUT:-10} * 1000 ))
readonly POLL_INTERVAL=0.02

workdir=$(mktemp -d "${TMPDIR:-/tmp}/zorbel-desktop.XXXXXX") || exit 1
daemon_pids=()
command_pid=""
keep_logs=0

say() { echo "headless-desktop: $*" >&2; }

now_ms() {
  local t=${EPOCHREALTIME//[.,]/}
  echo $((10#$t / 1000))
}

# An exited child stays a zombie until bash reaps it, and `kill -0` still finds zombies.
is_running() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  stat=${stat##*) }
  [[ ${stat:0:1} != Z ]]
}

# Does not reap: after a signal races a child's exit, bash's `wait PID` can block until
# some other child exits, so cleanup reaps only once every child is dead.
stop_pids() {
  local pid deadline
  for pid in "$@"; do kill -TERM "$pid" 2>/dev/null; done
  deadline=$(( $(now_ms) + 2000 ))
  for pid in "$@"; do
    while is_running "$pid" && (( $(now_ms) < deadline )); do sleep "$POLL_INTERVAL"; done
    is_running "$pid" && kill -KILL "$pid" 2>/dev/null
  done
}

show_logs() {
  local log
  say "logs are in $workdir"
  for log in "$workdir"/*.log; do
    [[ -s $log ]] || continue
    echo "----- ${log##*/} (last lines)" >&2
    tail -n 20 "$log" >&2
  done
}

cleanup() {
  local status=$?
  trap - EXIT INT TERM
  [[ -n $command_pid ]] && stop_pids "$command_pid"
  # Reverse start order: clients of a daemon go before the daemon.
  local i reversed=()
  for ((i = ${#daemon_pids[@]} - 1; i >= 0; i--)); do reversed+=("${daemon_pids[i]}"); done
  ((${#reversed[@]})) && stop_pids "${reversed[@]}"
  wait
  if ((keep_logs)); then show_logs; else rm -rf "$workdir"; fi
  exit "$status"
}

on_signal() {
  say "got SIG$1, stopping the desktop"
  keep_logs=1
  exit $((128 + $(kill -l "$1")))
}

trap cleanup EXIT
trap 'on_signal INT' INT
trap 'on_signal TERM' TERM

fail() {
  say "$*"
  keep_logs=1
  exit 1
}

# The parent-death signal stops the daemons even when this script is killed outright
# (ctest kills a test that times out with SIGKILL, which no trap sees).
start() {
  local name=$1; shift
  setpriv --pdeathsig TERM "$@" >>"$workdir/$name.log" 2>&1 &
  daemon_pids+=("$!")
  last_pid=$!
}

# wait_until DESCRIPTION PID COMMAND...: polls COMMAND until it succeeds; gives up when
# PID dies or the timeout passes.
wait_until() {
  local what=$1 pid=$2; shift 2
  local deadline=$(( $(now_ms) + TIMEOUT_MS ))
  until "$@"; do
    is_running "$pid" || fail "$what: the process exited early"
    (( $(now_ms) < deadline )) || fail "$what: not ready after $((TIMEOUT_MS / 1000)) s"
    sleep "$POLL_INTERVAL"
  done
}

# read succeeds only on a complete line, so a half-written address is not taken.
file_has_line() { local line; read -r line <"$1"; }

# NameHasOwner, unlike calling the service itself, never triggers D-Bus activation,
# which would start a second launcher or registry.
bus_has_owner() {
  dbus-send --bus="$1" --reply-timeout=1000 --print-reply=literal \
    --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner "string:$2" 2>/dev/null | grep -q true
}

has_window_manager() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id #'; }

window_named() { xwininfo -root -tree 2>/dev/null | grep -q "\"$1\""; }

# Nothing of the caller's desktop may leak in, and toolkits must draw on this X server
# even where the caller chose Wayland or offscreen rendering.
unset AT_SPI_BUS_ADDRESS NO_AT_BRIDGE WAYLAND_DISPLAY DBUS_SESSION_BUS_PID \
  DBUS_SESSION_BUS_WINDOWID DBUS_STARTER_ADDRESS DBUS_STARTER_BUS_TYPE SESSION_MANAGER
export XDG_RUNTIME_DIR="$workdir/runtime" XDG_SESSION_TYPE=x11 GDK_BACKEND=x11 QT_QPA_PLATFORM=xcb
mkdir -m 700 "$XDG_RUNTIME_DIR"

# A home and a temporary folder of the desktop's own, set before the session bus starts:
# the bus starts dconf-service with its own HOME, so gsettings would otherwise write to the
# caller's home, and applications that allow one instance per machine through a lock in the
# temporary folder would collide with those of parallel desktops.
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_STATE_HOME XDG_CACHE_HOME
export HOME="$workdir/home" TMPDIR="$workdir/tmp"
mkdir -m 700 "$HOME" "$TMPDIR"

# -noreset: the bus launcher is the first X client and disconnects at once; a reset
# would wipe what it left on the root window.
start xvfb Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 "$SCREEN" 3>"$workdir/display"
wait_until "Xvfb" "$last_pid" file_has_line "$workdir/display"
export DISPLAY=":$(head -n 1 "$workdir/display")"

start session-bus dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$workdir/session-bus"
wait_until "session dbus-daemon" "$last_pid" file_has_line "$workdir/session-bus"
DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$workdir/session-bus")
export DBUS_SESSION_BUS_ADDRESS

start at-spi-bus-launcher /usr/libexec/at-spi-bus-launcher --launch-immediately --a11y=1
wait_until "at-spi-bus-launcher" "$last_pid" bus_has_owner "$DBUS_SESSION_BUS_ADDRESS" org.a11y.Bus

a11y_bus=$(dbus-send --session --reply-timeout=2000 --print-reply=literal --dest=org.a11y.Bus \
  /org/a11y/bus org.a11y.Bus.GetAddress) || fail "could not read the accessibility bus address"
a11y_bus=${a11y_bus//[[:space:]]/}

# Only the registry is told the address; Qt 6 clients that get it connect too early
# and never register, so they must find the bus through the session bus.
AT_SPI_BUS_ADDRESS=$a11y_bus start registryd /usr/libexec/at-spi2-registryd
wait_until "at-spi2-registryd" "$last_pid" bus_has_owner "$a11y_bus" org.a11y.atspi.Registry

# openbox sets _NET_SUPPORTING_WM_CHECK only once it owns the WM_S0 selection.
if [[ ${ZORBEL_DESKTOP_WM:-0} == 1 ]]; then
  # An absolute path: openbox does not find a relative one and falls back to the system's.
  start openbox openbox --config-file "$(realpath "$(dirname "${BASH_SOURCE[0]}")")/openbox-rc.xml"
  wait_until "openbox" "$last_pid" has_window_manager
fi

# Both write their settings under HOME on first start.
case ${ZORBEL_DESKTOP_WM:-0} in
  fluxbox | icewm)
    mkdir -p "$workdir/wm-home"
    HOME="$workdir/wm-home" start "$ZORBEL_DESKTOP_WM" "$ZORBEL_DESKTOP_WM"
    wait_until "$ZORBEL_DESKTOP_WM" "$last_pid" has_window_manager
    ;;
esac

if [[ ${ZORBEL_DESKTOP_COMPOSITOR:-0} == 1 ]]; then
  start xcompmgr xcompmgr
  wait_until "xcompmgr" "$last_pid" window_named xcompmgr
fi

export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1

setpriv --pdeathsig TERM "$@" &
command_pid=$!
wait "$command_pid"
status=$?
command_pid=""
((status == 0)) || keep_logs=1
exit "$status"
