#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang 14 into build/fuzz and runs each for a bounded time
# (default 60 s) from its seed corpus in tests/fuzz/corpus. New inputs collect in
# build/fuzz/corpus/<harness>; a finding is written to build/fuzz/findings/ and fails the run.
#   scripts/fuzz.sh [SECONDS] [HARNESS...]
set -uo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
shift || true
harnesses=("$@")
if [ "${#harnesses[@]}" -eq 0 ]; then
    harnesses=(chunks host_calls midi_learn render_files)
fi

# The longest input each harness takes: bank chunks and bank files are about 100 kB.
declare -A max_len=([chunks]=120000 [host_calls]=8192 [midi_learn]=120000 [render_files]=16384)

CC=clang-14 CXX=clang++-14 cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTAVREL_FUZZ=ON -DTAVREL_BUILD_TESTS=OFF -DTAVREL_BUILD_BENCHMARKS=OFF > /dev/null || exit 1
targets=()
for h in "${harnesses[@]}"; do targets+=("fuzz_$h"); done
cmake --build build/fuzz -j "$(nproc)" --target "${targets[@]}" || exit 1

mkdir -p build/fuzz/findings
status=0
summary=()
for h in "${harnesses[@]}"; do
    corpus=build/fuzz/corpus/$h
    mkdir -p "$corpus"
    log=build/fuzz/$h.log
    echo "fuzzing $h for $seconds s"
    # The first directory collects new inputs; the committed seeds are read only.
    build/fuzz/bin/fuzz_$h -max_total_time="$seconds" -timeout=30 -rss_limit_mb=4096 \
        -max_len="${max_len[$h]}" -print_final_stats=1 \
        -artifact_prefix="build/fuzz/findings/$h-" "$corpus" "tests/fuzz/corpus/$h" > "$log" 2>&1
    result=$?
    runs=$(awk '/stat::number_of_executed_units/ {print $2}' "$log")
    rate=$(awk '/stat::average_exec_per_sec/ {print $2}' "$log")
    if [ "$result" -ne 0 ]; then
        tail -40 "$log"
        summary+=("$(printf '%-14s FAILED after %s executions: see %s and build/fuzz/findings' "$h" "${runs:-?}" "$log")")
        status=1
    else
        summary+=("$(printf '%-14s %10s executions, %6s per second, corpus %s inputs' "$h" "${runs:-?}" "${rate:-?}" "$(ls "$corpus" | wc -l)")")
    fi
done
printf '%s\n' "${summary[@]}"
exit $status
