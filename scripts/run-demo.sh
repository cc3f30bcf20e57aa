#!/usr/bin/env bash
# Starts Kvilbro on the demo collection in demo/, creating it when it is absent.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ ! -d demo ]; then
    mkdir demo
    build/bin/kvilbro-tables demo demo
fi
if [ ! -x build/bin/kvilbro ]; then
    echo "The demo collection is in demo/; the main window is not built yet."
    exit 0
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "There is no display to show Kvilbro on (DISPLAY is not set)."
    echo "Start it from a desktop session, or under Xvfb: xvfb-run make run"
    exit 1
fi
cd demo
exec ../build/bin/kvilbro
