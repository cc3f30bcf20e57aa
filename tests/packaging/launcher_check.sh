#!/usr/bin/env bash
# The desktop launcher on a first start and later ones, in a temporary home:
# the collection folder is made once, with sound tables, pictures and help
# page, the collector is asked once, and a collection already there is never
# touched. The program and the question are stand-ins that note how they ran.
#
#   launcher_check.sh SOURCE_DIR BIN_DIR
set -euo pipefail
source=$(cd "$1" && pwd)
bin=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# An installed layout: the launcher beside the programs.
mkdir -p "$work/usr/bin" "$work/usr/libexec/kvilbro" "$work/home"
cp "$source/packaging/kvilbro-start" "$work/usr/bin/"
ln -s "$bin/kvilbro-tables" "$work/usr/bin/kvilbro-tables"
cat >"$work/usr/bin/kvilbro" <<'STUB'
#!/bin/sh
echo "started in $(pwd) with $# arguments" >>"$LOG"
STUB
cat >"$work/usr/libexec/kvilbro/kvilbro-welcome" <<'STUB'
#!/bin/sh
echo "asked for $1" >>"$LOG"
"$(dirname "$0")/../../bin/kvilbro-tables" collector "$1" --name "Ny Samler" >/dev/null
STUB
chmod +x "$work/usr/bin/kvilbro" "$work/usr/libexec/kvilbro/kvilbro-welcome"
export LOG="$work/log"

launch() { env -u KVILBRO_HOME HOME="$work/home" "$@" "$work/usr/bin/kvilbro-start"; }

# First start: ~/Kvilbro made and filled, the collector asked, the program started there.
launch
folder="$work/home/Kvilbro"
"$bin/kvilbro-tables" check "$folder" >/dev/null || fail "the new collection's tables are not sound"
for f in Frim.bmp frim.bmp frim2.jpg index.html; do [ -s "$folder/$f" ] || fail "$f is missing"; done
expected="asked for $folder
started in $folder with 0 arguments"
[ "$(cat "$LOG")" = "$expected" ] || fail "first start ran: $(cat "$LOG")"
[ "$(sqlite3 "$folder/Bruger2.db" 'SELECT Brugernavn FROM Bruger2')" = "Ny Samler" ] || fail "the collector row"

# Later starts ask nothing and change nothing.
sqlite3 "$folder/stm2frim.db" "INSERT INTO stm2frim (\"National ID\", Beskrivelse) VALUES ('DK', 'Danmark')"
sum=$(cat "$folder"/*.db "$folder"/*.DB "$folder/index.html" | sha256sum)
: >"$LOG"
launch
[ "$(cat "$LOG")" = "started in $folder with 0 arguments" ] || fail "second start ran: $(cat "$LOG")"
[ "$(cat "$folder"/*.db "$folder"/*.DB "$folder/index.html" | sha256sum)" = "$sum" ] || fail "the second start changed the collection"

# KVILBRO_HOME names another folder; a half collection there is left for the program to report.
other="$work/andre samling"
mkdir -p "$other"
echo "not a table" >"$other/stm2manc.DB"
: >"$LOG"
env HOME="$work/home" KVILBRO_HOME="$other" "$work/usr/bin/kvilbro-start"
[ "$(cat "$LOG")" = "started in $other with 0 arguments" ] || fail "KVILBRO_HOME start ran: $(cat "$LOG")"
[ "$(cat "$other/stm2manc.DB")" = "not a table" ] || fail "the launcher touched a file it did not make"
[ ! -e "$other/stm2frim.db" ] || fail "the launcher added tables beside a foreign one"

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "the launcher is sound"
