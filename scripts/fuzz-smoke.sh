#!/usr/bin/env bash
# Builds every fuzz target with clang and runs each for a while on a corpus that
# its seed script writes. Any crash, leak or sanitizer report fails the run.
#
#   fuzz-smoke.sh [SECONDS]   (default 60 per target)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
bash scripts/install-deps.sh fuzz

out=build-fuzz
cmake -S fuzz -B "$out" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$out" -j"$(nproc)"

status=0
for source in fuzz/fuzz_*.cpp; do
    # Each target fuzz_NAME.cpp has its seed script fuzz_NAME-seeds.sh.
    target=$(basename "$source" .cpp)
    seeds=fuzz/$target-seeds.sh
    rm -rf "$out/seeds-$target" "$out/corpus-$target"
    mkdir -p "$out/corpus-$target"
    bash "$seeds" "$out/seeds-$target" >/dev/null
    echo "Fuzzing $target for $seconds s"
    if ! "$out/$target" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$out/$target-" \
        "$out/corpus-$target" "$out/seeds-$target" 2>"$out/$target.log"; then
        tail -n 60 "$out/$target.log"
        echo "$target found a fault; the input is in $out/$target-*"
        status=1
    else
        grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)' "$out/$target.log" || true
    fi
done
exit $status
