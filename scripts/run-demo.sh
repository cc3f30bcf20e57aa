#!/usr/bin/env bash
# Starts Kvilbro on the demo collection in demo/, creating it when it is absent.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ ! -d demo ]; then
    mkdir demo
    if ! build/bin/kvilbro-tables demo demo; then
        rm -rf demo
        exit 1
    fi
fi
[ -f demo/index.html ] || cp scripts/demo/index.html demo/index.html
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "There is no display to show Kvilbro on (DISPLAY is not set)."
    echo "Start it from a desktop session, or under Xvfb: xvfb-run make run"
    exit 1
fi
cd demo
exec ../build/bin/kvilbro
