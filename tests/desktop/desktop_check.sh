#!/usr/bin/env bash
# The real program on a virtual screen with a real window manager, driven by
# the keyboard as a collector without a mouse would: where the window manager
# puts the main window and how big its frame is, Enter on a picture error box,
# and the viewer of a picture larger than the screen.
#
#   desktop_check.sh BIN_DIR
#
# Exits 77 (skipped) when Xvfb, openbox, xdotool or the X utilities are missing.
set -euo pipefail
bin=$(cd "$1" && pwd)

for tool in Xvfb openbox xdotool xwininfo xprop; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIPPED: $tool is missing (scripts/install-deps.sh installs it)"
        exit 77
    fi
done

work=$(mktemp -d)
cleanup() {
    [ -n "${program:-}" ] && kill "$program" 2>/dev/null || true
    [ -n "${wm:-}" ] && kill "$wm" 2>/dev/null || true
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start: $(cat "$work/xvfb.log")"; exit 1; }
export DISPLAY=":$(cat "$work/display")"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
openbox >"$work/openbox.log" 2>&1 &
wm=$!
sleep 1

"$bin/kvilbro-tables" demo "$work/samling" >/dev/null
# Number 2 of Danmark names a file that is no picture.
printf 'no picture in here' >"$work/samling/billeder/dk-002.jpg"

# Waits up to $2 tenths of a second for a visible window titled exactly $1
# that is not one of the ids in $3; prints its id.
wait_window() {
    local id
    for _ in $(seq "$2"); do
        for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
            case " ${3:-} " in *" $id "*) ;; *) echo "$id"; return 0 ;; esac
        done
        sleep 0.1
    done
    return 1
}

# The outer frame of a window: "x y width height", the window manager's frame included.
outer() {
    local x y w h extents l r t b
    x=$(xwininfo -id "$1" | awk '/Absolute upper-left X/ {print $4}')
    y=$(xwininfo -id "$1" | awk '/Absolute upper-left Y/ {print $4}')
    w=$(xwininfo -id "$1" | awk '/Width:/ {print $2}')
    h=$(xwininfo -id "$1" | awk '/Height:/ {print $2}')
    extents=$(xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
    read -r l r t b <<<"$extents"
    echo "$((x - l)) $((y - t)) $((w + l + r)) $((h + t + b))"
}

title="Kvilbro ver. 3,8"
cd "$work/samling"
"$bin/kvilbro" >"$work/program.log" 2>&1 &
program=$!
main=$(wait_window "$title" 200) || { echo "the main window did not appear"; cat "$work/program.log"; exit 1; }
sleep 1

# The main window: 956 by 663 outside, centred on the 1280 by 1024 screen.
read -r x y w h <<<"$(outer "$main")"
if [ "$w" -eq 956 ] && [ "$h" -eq 663 ]; then pass "main window frame 956 x 663"; else fail "main window frame ${w} x ${h}, not 956 x 663"; fi
cx=$((x + w / 2)) cy=$((y + h / 2))
if [ $((cx - 640)) -ge -1 ] && [ $((cx - 640)) -le 1 ] && [ $((cy - 512)) -ge -1 ] && [ $((cy - 512)) -le 1 ]; then
    pass "main window centred"
else
    fail "main window centre at $cx,$cy, not 640,512"
fi

# F12 to the numbers, Down to number 2: its picture cannot be read.
xdotool windowactivate --sync "$main"
xdotool key --clearmodifiers F12
sleep 0.3
xdotool key --clearmodifiers Down
if box=$(wait_window "kvilbro" 50); then
    pass "the picture error box appeared"
    xdotool windowactivate --sync "$box" 2>/dev/null || true
    xdotool key --clearmodifiers Return
    sleep 1.5
    if again=$(wait_window "kvilbro" 5); then
        fail "Enter on the error box brought it back"
        xdotool windowactivate --sync "$again" key --clearmodifiers Escape 2>/dev/null || true
    else
        pass "Enter closed the error box for good"
    fi
else
    fail "no error box for a picture that cannot be read"
fi

# Leaving number 2 shows the box once more (a key press refreshes before the
# move); Enter closes it and the grid moves on. Then on to number 10, whose
# picture is 2000 x 2500: the viewer stays on the screen.
xdotool windowactivate --sync "$main"
xdotool key --clearmodifiers Down
if box=$(wait_window "kvilbro" 50); then
    xdotool windowactivate --sync "$box" 2>/dev/null || true
    xdotool key --clearmodifiers Return
    sleep 0.5
fi
for _ in $(seq 7); do
    xdotool key --clearmodifiers Down
    sleep 0.15
done
xdotool key --clearmodifiers alt+b
if viewer=$(wait_window "$title" 50 "$main"); then
    sleep 1
    read -r x y w h <<<"$(outer "$viewer")"
    if [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + w)) -le 1280 ] && [ $((y + h)) -le 1024 ]; then
        pass "the viewer lies on the screen ($w x $h at $x,$y)"
    else
        fail "the viewer runs off the screen ($w x $h at $x,$y)"
    fi
    xdotool windowactivate --sync "$viewer" key --clearmodifiers alt+F4
    sleep 0.5
else
    fail "Alt+B opened no viewer"
fi

# Program, Afslut: the program ends normally.
xdotool windowactivate --sync "$main"
xdotool key --clearmodifiers alt+p
sleep 0.4
xdotool key --clearmodifiers a
code=0
timeout 30 tail --pid="$program" -f /dev/null || fail "the program did not end after Program, Afslut"
wait "$program" || code=$?
program=
[ "$code" -eq 0 ] || fail "the program ended with exit code $code"

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed"
    cat "$work/program.log"
    exit 1
fi
echo "all desktop checks passed"
