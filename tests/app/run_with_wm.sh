#!/bin/sh
# Runs a program on the display that xvfb-run made, under a window manager
# (openbox), as on a desktop: windows get frames, and activation follows
# the focus as the window manager gives it.
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
trap 'kill "$wm" 2>/dev/null; wait "$wm" 2>/dev/null' EXIT
i=0
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
  i=$((i + 1))
  [ "$i" -le 100 ] || { echo "openbox did not start" >&2; exit 1; }
  sleep 0.1
done
"$@"
