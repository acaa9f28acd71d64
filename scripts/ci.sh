#!/usr/bin/env bash
# The test command: installs what is missing, builds all three targets from scratch and runs every
# test, native (release and sanitized) and under Wine (the 32-bit programs only where this machine
# runs them). Prints the time of each stage.
set -euo pipefail
cd "$(dirname "$0")/.."

stage_start=0
declare -a timings=()
begin() { echo; echo "=== $1"; stage_name="$1"; stage_start=$(date +%s); }
end() { local t=$(( $(date +%s) - stage_start )); timings+=("$(printf '%-34s %5ds' "$stage_name" "$t")"); }
trap 'echo; echo "Stage timings:"; printf "  %s\n" "${timings[@]}"' EXIT

total_start=$(date +%s)

begin "install packages"
scripts/install-deps.sh
end

begin "format check"
git ls-files -- '*.cpp' '*.h' | xargs clang-format --dry-run -Werror
end

rm -rf build/linux build/asan build/tsan build/aarch64 build/fuzz build/win32 build/win64 build/aarch64

begin "build linux (release)"
scripts/build.sh linux
end

begin "tests linux (release)"
ctest --test-dir build/linux --no-tests=error --output-on-failure -j "$(nproc)"
end

begin "build linux (asan+ubsan)"
scripts/build.sh asan
end

begin "tests linux (asan+ubsan)"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build/asan --no-tests=error --output-on-failure -j "$(nproc)"
end

begin "build linux (tsan)"
TAVREL_BUILD_TARGETS="tavrel_tests tavrel_plugin tavrel-stress" scripts/build.sh tsan
end

# Every unit test, and two host threads on one instance for 10 s, under ThreadSanitizer: the races
# the design tolerates go through relaxed atomics, so any report fails the stage.
begin "tests under tsan"
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 build/tsan/bin/tavrel_tests --gtest_brief=1
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
    build/tsan/bin/tavrel-stress --seconds 10 build/tsan/bin/tavrel.so
end

begin "build aarch64"
scripts/build.sh aarch64
end

# The unit tests and the plug-in's checks under qemu-user, then every factory program rendered by
# the aarch64 build against the native one: within -100 dB of each program's peak.
begin "tests aarch64 (qemu)"
ctest --test-dir build/aarch64 --no-tests=error --output-on-failure -j "$(nproc)"
tests/scripts/render-programs.sh build/linux/bin build/aarch64/renders-native
tests/scripts/render-programs.sh build/aarch64/bin build/aarch64/renders \
    qemu-aarch64 -L /usr/aarch64-linux-gnu
python3 tests/scripts/compare-renders.py --max-db -100 build/aarch64/renders-native \
    build/aarch64/renders | tail -1
end

begin "fuzzing (30 s per harness)"
scripts/fuzz.sh 30
end

begin "build win32"
scripts/build.sh win32
end

begin "build win64"
scripts/build.sh win64
end

begin "tests under wine"
scripts/test-wine.sh
end

begin "gui tests under wine and xvfb"
scripts/test-gui-wine.sh
end

begin "wine detection test"
tests/scripts/wine-detection.sh
end

timings+=("$(printf '%-34s %5ds' "total" "$(( $(date +%s) - total_start ))")")
echo
echo "All stages passed."
