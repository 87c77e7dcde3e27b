#!/bin/sh
# Runs a test program on a virtual X server with the openbox window manager, so that the
# program's own maximise and restore come back as real window-manager events. Exits 77 (skipped)
# when Xvfb or openbox is missing. SENDRA_TEST_SCREEN sets the screen (default 1920x1200x24).
command -v xvfb-run >/dev/null 2>&1 && command -v openbox >/dev/null 2>&1 || { echo "xvfb-run or openbox missing"; exit 77; }
exec xvfb-run -a -s "-screen 0 ${SENDRA_TEST_SCREEN:-1920x1200x24}" sh -c '
    openbox >/dev/null 2>&1 &
    wm=$!
    # openbox owns the WM_S0 selection once it manages the screen.
    for i in $(seq 1 50); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.1; done
    SENDRA_TEST_WM=1 QT_QPA_PLATFORM=xcb "$@"
    rc=$?
    kill $wm 2>/dev/null
    exit $rc
' sh "$@"
