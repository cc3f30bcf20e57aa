#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Kvilbro need,
# and only those that are missing.
set -euo pipefail

packages=(
    build-essential cmake
    qt6-base-dev
    libsqlite3-dev sqlite3
    libjpeg62-turbo-dev libjpeg-turbo-progs
    libbenchmark-dev
    fonts-liberation2
    xvfb xauth
    poppler-utils
)

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
