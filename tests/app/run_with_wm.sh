#!/bin/sh
# Runs a program on the display that xvfb-run made, under a window manager
# (openbox), as on a desktop: windows get frames, and activation follows
# the focus as the window manager gives it.
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
i=0
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
  i=$((i + 1))
  if [ "$i" -gt 100 ]; then echo "openbox did not start" >&2; kill "$wm" 2>/dev/null; exit 1; fi
  sleep 0.1
done
"$@"
rc=$?
kill "$wm" 2>/dev/null
wait "$wm" 2>/dev/null
exit "$rc"
