#!/usr/bin/env bash
# Draws the library graph of docs/architecture.md from the CMake targets:
# docs/libraries.dot and docs/libraries.svg. `--check` only says whether the
# checked-in graph still matches the build.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cmake -S . -B "$out" -DKVILBRO_BUILD_TESTS=OFF -DKVILBRO_BUILD_BENCH=OFF --graphviz="$out/graph.dot" >/dev/null
# Node numbers change with the configure run; the edges by name do not.
edges() { sed -n 's/.*"\(node[0-9]*\)" -> "\(node[0-9]*\)".*/\1 \2/p' "$1" |
    while read -r a b; do
        printf '%s -> %s\n' "$(sed -n "s/.*\"$a\" \[ label = \"\([^\"]*\)\".*/\1/p" "$1")" \
            "$(sed -n "s/.*\"$b\" \[ label = \"\([^\"]*\)\".*/\1/p" "$1")"
    done | sort; }
{
    echo 'digraph Kvilbro {'
    echo '  rankdir=TB; node [shape=box, fontname="Liberation Sans"];'
    edges "$out/graph.dot" | sed 's/\(.*\) -> \(.*\)/  "\1" -> "\2";/'
    echo '}'
} >"$out/libraries.dot"
if [ "${1:-}" = --check ]; then
    diff -u docs/libraries.dot "$out/libraries.dot" && echo "docs/libraries.dot matches the CMake targets."
    exit
fi
cp "$out/libraries.dot" docs/libraries.dot
dot -Tsvg docs/libraries.dot -o docs/libraries.svg
echo "Wrote docs/libraries.dot and docs/libraries.svg"
