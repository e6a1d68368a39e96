#!/bin/sh
# Runs a probe program on a virtual X display of its own. Exit 77 (skipped) without Xvfb.
# The server picks a free display itself (-displayfd), so probes may run side by side.
probe="$1"
out="$2"
if ! command -v Xvfb >/dev/null 2>&1; then
  echo "SKIPPED: Xvfb is not installed (Debian package xvfb), so the host window was not tried"
  exit 77
fi
unset ZARIN_HEADLESS WAYLAND_DISPLAY
# The X and SDL libraries keep allocations for the life of the process.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
mkdir -p "$out"
number="$out/display_number"
rm -f "$number"
Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>"$number" 2>"$out/xvfb.log" &
server=$!
trap 'kill $server 2>/dev/null; wait $server 2>/dev/null' EXIT
waited=0
while ! grep -q '[0-9]' "$number" 2>/dev/null; do
  if ! kill -0 $server 2>/dev/null || [ $waited -ge 200 ]; then
    echo "Xvfb did not start; see $out/xvfb.log"
    exit 1
  fi
  sleep 0.05
  waited=$((waited + 1))
done
DISPLAY=":$(tr -d '[:space:]' <"$number")" "$probe" "$out"
