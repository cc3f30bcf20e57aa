#!/usr/bin/env bash
# Applies hand-picked faults to the table engine, one at a time, and checks
# that the store tests catch each. A fault the tests miss means a test is
# missing. The sources are restored after every mutant, also when interrupted.
set -euo pipefail
cd "$(dirname "$0")/.."
out=build-mutants
tests=(tst_tableview tst_tableviewfields tst_tablemodel tst_viewparts tst_collectionviews tst_enginefailures)

# file @@ sed expression @@ what the fault is
mutants=(
    "src/store/TableViewEditing.cpp@@s/^\( *\)emit \(aboutToMoveRow\|rowMoved\)(from, to);/\1;/@@a stored row moves without telling the grid"
    "src/store/TableViewEditing.cpp@@s/^\( *\)cache_.put(rowId, stored);/\1;/@@a stored row is not what the view shows afterwards"
    "src/store/Keyset.cpp@@s/return a.kind < b.kind ? -1 : 1;/return a.kind < b.kind ? 1 : -1;/@@NULL, numbers and text sort in the wrong order"
    "src/store/Keyset.cpp@@s/return c < 0 ? -1 : 1;/return c < 0 ? 1 : -1;/@@text sorts backwards"
    "src/store/TableView.cpp@@s/if (!open_ || seen_ == db_.changeCount(def_.id))/if (!open_ || true)/@@a view never reloads after another view's change"
    "src/store/ViewSql.cpp@@s/%1 IS ?%2/%1 IS NOT ?%2/@@the range holds the other areas' rows"
    "src/store/ViewSql.cpp@@s/if (v.typeId() == QMetaType::QString \&\& v.toString().isEmpty())/if (false)/@@a blank link value is bound as empty text, not NULL"
    "src/store/FieldRules.cpp@@s/return cutToWidth(text, field.width);/return text;/@@text longer than its field is stored whole"
    "src/store/TableView.cpp@@s/current_ = keyset_.isEmpty() ? -1 : 0;/current_ = keyset_.isEmpty() ? -1 : 1;/@@first() goes to the second row"
    "src/store/TableViewEditing.cpp@@s/^\( *\)cache_.drop(keyset_.rowId(current_));/\1;/@@an edit starts from a row read long ago"
)

backup=$(mktemp -d)
applied="" # the file a mutant is in, while it is in
restore() {
    [ -n "$applied" ] && cp -p "$backup/original" "$applied"
    applied=""
}
trap 'restore; rm -rf "$backup"' EXIT

cmake -S . -B "$out" -DCMAKE_BUILD_TYPE=Release -DKVILBRO_BUILD_BENCH=OFF >/dev/null
cmake --build "$out" -j"$(nproc)" --target "${tests[@]}" >/dev/null

survived=0
n=0
for m in "${mutants[@]}"; do
    file=${m%%@@*}
    rest=${m#*@@}
    expr=${rest%@@*}
    what=${rest##*@@}
    n=$((n + 1))
    cp -p "$file" "$backup/original"
    applied=$file
    sed -i "$expr" "$file"
    if cmp -s "$file" "$backup/original"; then
        restore
        echo "mutant $n ($what): the pattern no longer matches $file; update this script"
        survived=$((survived + 1))
        continue
    fi
    if ! cmake --build "$out" -j"$(nproc)" --target "${tests[@]}" >"$out/mutant$n.log" 2>&1; then
        echo "mutant $n killed by the compiler: $what"
    elif (cd "$out" && QT_QPA_PLATFORM=offscreen ctest -R "^($(IFS='|'; echo "${tests[*]}"))\$" -j"$(nproc)" \
        --timeout 120 >>"mutant$n.log" 2>&1); then
        echo "mutant $n SURVIVED: $what ($file)"
        survived=$((survived + 1))
    else
        echo "mutant $n killed: $what"
    fi
    restore
done
# Leave the mutant build matching the sources.
cmake --build "$out" -j"$(nproc)" --target "${tests[@]}" >/dev/null
echo "$((n - survived)) of $n mutants killed"
[ "$survived" -eq 0 ]
