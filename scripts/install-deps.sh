#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Kvilbro need,
# and only those that are missing.
#
#   install-deps.sh          build, test (the desktop checks need a window manager and a key driver,
#                            the package checks lintian and the desktop validators) and run
#   install-deps.sh smoke    the same; kept for the start-up smoke run
#   install-deps.sh fuzz     also clang with libFuzzer for the fuzz targets
set -euo pipefail

packages=(
    build-essential cmake ccache
    qt6-base-dev
    libsqlite3-dev sqlite3
    libjpeg62-turbo-dev libjpeg-turbo-progs
    libbenchmark-dev
    fonts-liberation2
    xvfb xauth
    openbox xdotool x11-utils
    poppler-utils
    fakeroot lintian desktop-file-utils appstream
    pxlib-dev
)
for group in "$@"; do
    case "$group" in
        smoke) ;;
        fuzz) packages+=(clang libclang-rt-dev python3) ;;
        *) echo "install-deps.sh: unknown group '$group'" >&2; exit 2 ;;
    esac
done

missing=()
for p in "${packages[@]}"; do
    if ! dpkg -s "$p" >/dev/null 2>&1; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    sudo=()
else
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
