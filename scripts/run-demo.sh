#!/usr/bin/env bash
# Starts Kvilbro on the demo collection in demo/, creating it when it is absent.
# An existing demo collection is used as it is: the collector's changes stay.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)

if [ ! -d demo ]; then
    # Built beside its final place and moved in whole, so an interrupted first
    # run leaves no half collection that later runs would start on.
    tmp=$(mktemp -d "$top/.demo-new.XXXXXX")
    trap 'rm -rf "$tmp"' EXIT
    # The pictures are named where they will be, not in the temporary folder.
    build/bin/kvilbro-tables demo "$tmp" --final-dir "$top/demo"
    mv -T "$tmp" demo
    trap - EXIT
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "There is no display to show Kvilbro on (DISPLAY is not set)."
    echo "Start it from a desktop session, or under Xvfb: xvfb-run make run"
    exit 1
fi
cd demo
exec "$top/build/bin/kvilbro"
