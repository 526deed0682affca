#!/usr/bin/env bash
# Starts the window program from a build folder, or explains what to do on a
# machine without a display.
set -euo pipefail
build="${1:-build}"
app="$build/app/pbx-unpacker"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat >&2 <<MSG
No display found (neither DISPLAY nor WAYLAND_DISPLAY is set), so the window
program cannot open its window here. Either:
  - start a virtual display:  Xvfb :99 -screen 0 1024x768x24 & DISPLAY=:99 $app
  - or use the command line:  $build/cli/pbx extract ARCHIVE [OUTDIR]
MSG
  exit 1
fi
exec "$app"
