#!/usr/bin/env bash
# Starts Kvilbro with `make run` as a newcomer does, on a virtual screen with a
# real window manager, waits for the main window, leaves through the menu
# (Program, Afslut) with the keyboard, and checks the exit code and the files
# the run leaves in the demo folder. Run twice: the second run starts on the
# collection the first one made.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
bash scripts/install-deps.sh smoke

fail() { echo "smoke run: $*" >&2; exit 1; }

work=$(mktemp -d)
cleanup() {
    [ -n "${wm:-}" ] && kill "$wm" 2>/dev/null || true
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(cat "$work/display")"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
openbox >"$work/openbox.log" 2>&1 &
wm=$!

title="Kvilbro ver. 3,8"
run_once() {
    local n=$1
    make -s run >"$work/run$n.log" 2>&1 &
    local pid=$!
    local window="" waited=0
    while [ -z "$window" ]; do
        if ! kill -0 "$pid" 2>/dev/null; then
            tail -n 20 "$work/run$n.log"
            fail "run $n: make run ended before the main window appeared"
        fi
        [ "$waited" -lt 240 ] || { tail -n 20 "$work/run$n.log"; fail "run $n: the main window did not appear"; }
        sleep 0.5
        waited=$((waited + 1))
        window=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -n 1 || true)
    done
    xdotool windowactivate --sync "$window"
    sleep 1
    xdotool key --clearmodifiers alt+p
    sleep 0.5
    xdotool key --clearmodifiers a
    local code=0
    timeout 60 tail --pid="$pid" -f /dev/null || fail "run $n: Kvilbro did not end after Program, Afslut"
    wait "$pid" || code=$?
    [ "$code" -eq 0 ] || { tail -n 20 "$work/run$n.log"; fail "run $n: make run ended with exit code $code"; }
    for f in stm2frim.db stm2manc.DB Bruger2.db MankoSys.stm index.html; do
        [ -f "$top/demo/$f" ] || fail "run $n: demo/$f is missing"
    done
    echo "smoke run $n: the main window appeared and Kvilbro ended with exit code 0"
}

run_once 1
# The demo's pictures are where its rows say they are.
picture=$(sqlite3 "$top/demo/stm2manc.DB" "SELECT Billede FROM stm2manc WHERE Billede LIKE '%dk-001.jpg'")
[ -f "$picture" ] || fail "the demo's picture $picture is missing"
# A change made between two starts must survive the second start.
first="SELECT min(rowid) FROM stm2frim"
before=$(sqlite3 "$top/demo/stm2frim.db" "SELECT Beskrivelse FROM stm2frim WHERE rowid = ($first)")
sqlite3 "$top/demo/stm2frim.db" "UPDATE stm2frim SET Beskrivelse = 'Smoke test' WHERE rowid = ($first)"
run_once 2
after=$(sqlite3 "$top/demo/stm2frim.db" "SELECT Beskrivelse FROM stm2frim WHERE rowid = ($first)")
sqlite3 "$top/demo/stm2frim.db" "UPDATE stm2frim SET Beskrivelse = '${before//\'/\'\'}' WHERE rowid = ($first)"
[ "$after" = "Smoke test" ] || fail "the second run lost a change made to the demo collection"
