#!/usr/bin/env bash
# Starts the window program on a virtual X display (Xvfb, xcb platform),
# takes a screenshot of the whole screen and checks that the main window
# appeared. With xdotool it then opens and closes the about box and runs an
# extraction by typing and clicking, with a screenshot of each.
# Usage: gui-smoke.sh PROGRAM SCREENSHOT.png
# The screenshots (SCREENSHOT.png, -about.png, -run.png) stay where they
# were written, for CI to keep.
set -euo pipefail
app="${1:?usage: $0 PROGRAM SCREENSHOT.png}"
shot="${2:?usage: $0 PROGRAM SCREENSHOT.png}"
title="PBX Unpacker Ver0.10"

for tool in Xvfb import; do
  command -v "$tool" >/dev/null || { echo "gui-smoke: $tool is missing" >&2; exit 1; }
done

work="$(mktemp -d)"
xvfb_pid=""
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display number itself and writes it to fd 3, so that
# several runs can go side by side.
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" \
  2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 50); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || { echo "gui-smoke: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

XDG_RUNTIME_DIR="$work" QT_QPA_PLATFORM=xcb "$app" -reverse -style windows some ignored arguments \
  >"$work/app.log" 2>&1 &
app_pid=$!

# The window is there when X knows a window with the caption's title part.
found=""
for _ in $(seq 200); do
  kill -0 "$app_pid" 2>/dev/null || { echo "gui-smoke: the program ended early" >&2; cat "$work/app.log" >&2; exit 1; }
  if command -v xdotool >/dev/null; then
    xdotool search --name "$title" >/dev/null 2>&1 && { found=yes; break; }
  else
    found=unchecked; sleep 2; break
  fi
  sleep 0.1
done
[ -n "$found" ] || { echo "gui-smoke: no window titled '$title'" >&2; exit 1; }
sleep 0.5  # let the first paint finish

import -window root "$shot"
# Without a window the root window is one flat colour.
colours="$(identify -format '%k' "$shot")"
echo "gui-smoke: window found ($found), screenshot $shot has $colours colours"
[ "$colours" -gt 8 ] || { echo "gui-smoke: the screenshot is (nearly) uniform" >&2; exit 1; }

wait_gone() {  # title
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}
wait_shown() {  # title; prints the window id
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 | grep . && return 0
    sleep 0.1
  done
  return 1
}
# With xdotool: open the about box from its button, keep a screenshot of
# it, and close it with Enter (its OK button is the default).
[ "$found" = yes ] || exit 0
about_title="ﾊﾞｰｼﾞｮﾝ情報"
main_id="$(xdotool search --onlyvisible --name "$title" | head -n1)"
xdotool mousemove --window "$main_id" 388 26 click 1
about_id="$(wait_shown "$about_title")" || { echo "gui-smoke: the about box did not open" >&2; exit 1; }
sleep 0.5
import -window root "${shot%.png}-about.png"
echo "gui-smoke: about box opened, screenshot ${shot%.png}-about.png"
# No window manager gives it the focus: do that, then type as the user.
xdotool windowfocus --sync "$about_id"
xdotool key Return
wait_gone "$about_title" || { echo "gui-smoke: Enter did not close the about box" >&2; exit 1; }

# An extraction as a user does it: an archive with a Shift-JIS name (表 is
# 0x95 0x5C), its path and a new output directory typed into the fields,
# then the start button and the notice that the directory will be made.
printf 'Pandora.box\0\x30\0\0\0\x95\x5c.txt\0\0\0\0\0\0\x32\0\0\0readme\0\0\0\0\0\0\x35\0\0\0hi!!!' \
  >"$work/smoke.pbx"
xdotool windowfocus --sync "$main_id"
xdotool mousemove --window "$main_id" 136 26 click 1
xdotool type --delay 20 "$work/smoke.pbx"
xdotool mousemove --window "$main_id" 116 294 click 1
xdotool type --delay 20 "$work/out"
xdotool mousemove --window "$main_id" 376 294 click 1
notice_id="$(wait_shown "つくっちゃう")" || { echo "gui-smoke: no notice before creating the directory" >&2; exit 1; }
xdotool windowfocus --sync "$notice_id"
xdotool key Return
wait_gone "つくっちゃう" || { echo "gui-smoke: the notice did not close" >&2; exit 1; }
written() {
  [ "$(cat "$work/out/表.txt" 2>/dev/null)" = "hi" ] &&
    [ "$(cat "$work/out/readme" 2>/dev/null)" = "!!!" ]
}
for _ in $(seq 100); do
  written && break
  sleep 0.1
done
written || { echo "gui-smoke: the run did not write its files" >&2; ls -la "$work/out" >&2; exit 1; }
sleep 0.5  # the list and the status line repaint after the last file
import -window root "${shot%.png}-run.png"
echo "gui-smoke: extraction done, screenshot ${shot%.png}-run.png"
