#!/bin/sh
# Runs a test program on a virtual X server with the openbox window manager, so that the
# program's own maximise and restore come back as real window-manager events. Exits 77 (skipped)
# when Xvfb or openbox is missing. SENDRA_TEST_SCREEN sets the screen (default 1920x1200x24).
command -v Xvfb >/dev/null 2>&1 && command -v openbox >/dev/null 2>&1 || { echo "Xvfb or openbox missing"; exit 77; }
# Xvfb picks a free display itself and writes its number once it accepts clients (-displayfd).
# xvfb-run instead waits for a signal from the server, and loses it now and then when the server
# is ready before xvfb-run waits: the test then hangs until its time limit.
ready=$(mktemp)
Xvfb -displayfd 3 -screen 0 "${SENDRA_TEST_SCREEN:-1920x1200x24}" -nolisten tcp 3>"$ready" >/dev/null 2>&1 &
server=$!
for i in $(seq 1 100); do [ -s "$ready" ] && break; sleep 0.1; done
display=$(head -n 1 "$ready")
rm -f "$ready"
if [ -z "$display" ]; then
    echo "Xvfb did not start"
    kill $server 2>/dev/null
    exit 1
fi
export DISPLAY=":$display"
openbox >/dev/null 2>&1 &
wm=$!
# openbox owns the WM_S0 selection once it manages the screen.
for i in $(seq 1 50); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.1; done
SENDRA_TEST_WM=1 QT_QPA_PLATFORM=xcb "$@"
rc=$?
kill $wm 2>/dev/null
kill $server 2>/dev/null
wait $server 2>/dev/null
exit $rc
