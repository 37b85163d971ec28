#!/usr/bin/env bash
# Fuzzes the picture decoding, the sample check, the table reading and the
# recording loader with libFuzzer (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer), one target after the other, each for SECONDS
# (default 60).
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]   (targets: picture sample table recording)
# Each target starts from its seeds in tests/fuzz/corpus/ and keeps what it
# finds in build-fuzz/corpus/TARGET; inputs that break it go to
# build-fuzz/findings/TARGET/. A summary line per target ends the run, then
# the README's rows for them with the date and the commit they were measured
# on; the script fails if any target found something.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/measured.sh"
seconds="${1:-60}"
shift || true
targets=("$@")
((${#targets[@]})) || targets=(picture sample table recording)
build="$root/build-fuzz"

# clang and its fuzzing runtime, besides what the game itself needs.
packages=(clang libclang-rt-14-dev cmake pkg-config liballegro4-dev libgtest-dev)
"$root/scripts/install-packages.sh" "${packages[@]}"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCAVE_SANITIZE=ON -DCAVE_FUZZ=ON -DCAVE_TESTS=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${targets[@]/#/fuzz_}"

declare -A max_len=([picture]=16384 [sample]=4096 [table]=4096 [recording]=4096)
summary=()
rows=()
found=0
for t in "${targets[@]}"; do
    corpus="$build/corpus/$t"
    findings="$build/findings/$t"
    mkdir -p "$corpus" "$findings"
    log="$build/fuzz-$t.log"
    echo "== Fuzzing $t for $seconds s (log: $log) =="
    set +e
    ASAN_OPTIONS=detect_leaks=0:allocator_may_return_null=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        "$build/tests/fuzz/fuzz_$t" "$corpus" "$root/tests/fuzz/corpus/$t" \
        -max_total_time="$seconds" -max_len="${max_len[$t]}" -rss_limit_mb=2048 \
        -timeout=10 -print_final_stats=1 -artifact_prefix="$findings/" >"$log" 2>&1
    status=$?
    set -e
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
    cov=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -1 || echo "cov: ? ft: ?")
    units=$(find "$corpus" -type f | wc -l)
    crashes=$(find "$findings" -type f | wc -l)
    ((status == 0 && crashes == 0)) || found=1
    summary+=("$t: $runs runs in $seconds s, $cov, corpus $units inputs, findings $crashes (exit $status)")
    first=$(grep -o 'INITED cov: [0-9]* ft: [0-9]*' "$log" | head -1 | grep -o '[0-9][0-9]*' | tr '\n' ' ')
    last=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -1 | grep -o '[0-9][0-9]*' | tr '\n' ' ')
    read -r cov0 ft0 <<<"${first:-? ?}"
    read -r cov1 ft1 <<<"${last:-? ?}"
    per_s="?"
    [[ $runs =~ ^[0-9]+$ ]] && per_s="$(thousands $((runs / seconds)))" && runs="$(thousands "$runs")"
    rows+=("| $t | $runs | $per_s | $cov0 / $cov1 | $ft0 / $ft1 | $units inputs | $crashes |")
done
echo "== Summary =="
printf '%s\n' "${summary[@]}"
echo
echo "== The README's rows ($(measured_on "$root"); scripts/fuzz.sh $seconds ${targets[*]}) =="
echo "| Target | Runs | Runs/s | Coverage at start / end | Features | Corpus kept | Findings |"
echo "|---|---|---|---|---|---|---|"
printf '%s\n' "${rows[@]}"
exit "$found"
