#!/bin/sh
# Runs the host window probe on a virtual X display. Exit 77 (skipped) without xvfb-run.
probe="$1"
out="$2"
if ! command -v xvfb-run >/dev/null 2>&1; then
  echo "SKIPPED: xvfb-run is not installed (Debian package xvfb), so the host window was not tried"
  exit 77
fi
unset ZARIN_HEADLESS WAYLAND_DISPLAY
# The X and SDL libraries keep allocations for the life of the process.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
mkdir -p "$out"
exec xvfb-run -a -s "-screen 0 1600x1000x24" "$probe" "$out"
