#!/usr/bin/env bash
# Writes a seed corpus for fuzz_paradox into DIR: the sample tables kept for the
# tests, each table with a blob file joined to it after the separator line.
set -euo pipefail
dir=${1:?usage: fuzz_paradox-seeds.sh DIR}
fixtures="$(dirname "$0")/../tests/paradox/fixtures"
mkdir -p "$dir"
find "$fixtures" -iname '*.db' -size -40k | while read -r table; do
    name=$(basename "$(dirname "$table")")-$(basename "$table")
    cp "$table" "$dir/$name"
    blob="${table%.*}.MB"
    if [ -f "$blob" ]; then
        { cat "$table"; printf '\n--MB--\n'; head -c 12288 "$blob"; } >"$dir/$name-with-blob"
    fi
done
ls "$dir" | wc -l
