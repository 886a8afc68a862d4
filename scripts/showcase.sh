#!/usr/bin/env bash
# The headless showcase: on a private headless desktop, opens a real text editor, starts
# Zorbel with the indicator switched on, types some text (Chinese included) and writes a
# screenshot showing the indicator beside the caret and, after a Caps Lock press, the HUD
# below it.
#   scripts/showcase.sh BUILD_DIR SCREENSHOT.png
# Runs itself under scripts/headless-desktop.sh (with a compositor, for the translucent
# indicator) unless it already runs on that desktop.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:?usage: showcase.sh BUILD_DIR SCREENSHOT.png}
shot=${2:?usage: showcase.sh BUILD_DIR SCREENSHOT.png}
shot=$(realpath -m "$shot")

if [[ -z ${ZORBEL_SHOWCASE_INSIDE:-} ]]; then
  export ZORBEL_SHOWCASE_INSIDE=1 ZORBEL_DESKTOP_COMPOSITOR=1
  exec scripts/headless-desktop.sh -- "$0" "$build" "$shot"
fi

work=$(mktemp -d /tmp/zorbel-showcase.XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  # Zorbel stores its settings as it quits: the folder goes once it has.
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# A settings folder of its own, with the indicator switched on, so the showcase never
# touches the user's settings.
export XDG_CONFIG_HOME=$work/config
mkdir -p "$XDG_CONFIG_HOME/zorbel"
printf '[General]\nisBrindotEnabled=true\n' > "$XDG_CONFIG_HOME/zorbel/quellan.brindot.ini"

# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
  local deadline=$((SECONDS + $1)); shift
  until "$@" >/dev/null 2>&1; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}

# Waits up to $1 seconds for Zorbel's window titled $2 to show; else says that $3 did not
# appear, with the end of zorbel's output, and stops the showcase.
wait_shown() {
  wait_for "$1" sh -c "xwininfo -name '$2' | grep -q IsViewable" && return
  echo "showcase: $3 did not appear; zorbel's output:" >&2
  tail -n 40 "$work/zorbel.log" >&2
  exit 1
}

echo "showcase: opening the text editor"
mousepad --disable-server "$work/notes.txt" >"$work/editor.log" 2>&1 &
pids+=($!)
editor=$(timeout 15 xdotool search --sync --onlyvisible --class mousepad | head -n 1)
xdotool windowsize --sync "$editor" 760 420 windowmove --sync "$editor" 120 90
xdotool windowfocus --sync "$editor"

# A tray for Zorbel's icon; without one it would open its settings window over the editor.
echo "showcase: starting a tray"
"$build/tests/integration/tools/zorbel_tray_host" >"$work/tray.log" 2>&1 &
pids+=($!)
wait_for 10 grep -q ready "$work/tray.log" || { cat "$work/tray.log" >&2; exit 1; }

echo "showcase: starting zorbel"
"$build/src/zorbel" >"$work/zorbel.log" 2>&1 &
pids+=($!)
wait_for 15 grep -q "Perfect Caret started successfully\|BrindotManager initialization completed" "$work/zorbel.log" || {
  echo "showcase: zorbel did not start; its output:" >&2
  cat "$work/zorbel.log" >&2
  exit 1
}

echo "showcase: typing"
xdotool windowfocus --sync "$editor"
xdotool type --delay 40 "Zorbel marks the caret."
xdotool key Return
xdotool type --delay 80 "你好，世界 — typing goes here"
# Empty lines keep the text clear of the HUD, which stands above the indicator.
xdotool key Return Return Return Return Return Return
xdotool type --delay 40 "Caps Lock brings up the HUD"
# The indicator window appears once the caret is found; give it a moment to follow the
# last keystrokes.
wait_shown 10 "Zorbel indicator" "the indicator"
sleep 0.5

# Caps Lock brings up the HUD beside the indicator: the input source, the Caps Lock mark and
# the time. The screenshot is taken once its show animation has ended.
echo "showcase: pressing Caps Lock"
xdotool key Caps_Lock
wait_shown 5 "Zorbel HUD" "the HUD"
sleep 0.8

"$build/tests/integration/tools/zorbel_screenshot" "$shot"
echo "showcase: screenshot written to $shot"
