#!/bin/sh
# Runs a Windows program of the build under 64-bit Wine, in the prefix that
# WINEPREFIX names (puzzle.sh makes a fresh one for every test run), with
# Wine's own chatter off. The exit status is the program's.
set -e
export WINEDEBUG="${WINEDEBUG:--all}"
if [ -x /usr/lib/wine/wine64 ]; then
  exec /usr/lib/wine/wine64 "$@"
fi
exec wine64 "$@"
