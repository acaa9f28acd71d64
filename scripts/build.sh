#!/usr/bin/env bash
# Configures and builds one target, or all three: linux (native), win32 (i686), win64 (x86_64).
#   scripts/build.sh [linux|asan|tsan|win32|win64|aarch64|all]
# aarch64 cross-compiles the Linux plug-in, the tools and the unit tests for 64-bit ARM; its
# tests run under qemu-user (ctest --test-dir build/aarch64).
# Build trees land in build/<target>; plug-ins and programs in build/<target>/bin.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc 2>/dev/null || echo 2)

build_one() {
    local target="$1"
    local dir="build/$target"
    local options=(-G Ninja -DCMAKE_BUILD_TYPE=Release)
    case "$target" in
    linux) options+=(-DTAVREL_BUILD_TESTS=ON -DTAVREL_BUILD_BENCHMARKS=ON) ;;
    asan) options=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVREL_SANITIZE=ON -DTAVREL_BUILD_BENCHMARKS=OFF) ;;
    tsan) options=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVREL_TSAN=ON -DTAVREL_BUILD_BENCHMARKS=OFF) ;;
    win32) options+=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake) ;;
    win64) options+=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake) ;;
    aarch64) options+=(-DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake -DTAVREL_BUILD_TESTS=ON) ;;
    *) echo "unknown target: $target (linux, asan, tsan, win32, win64, aarch64, all)" >&2; exit 2 ;;
    esac
    cmake -S . -B "$dir" "${options[@]}" > /dev/null
    # TAVREL_BUILD_TARGETS limits the build to the targets it names (all of them by default).
    if [ -n "${TAVREL_BUILD_TARGETS:-}" ]; then
        # shellcheck disable=SC2086
        cmake --build "$dir" -j "$jobs" --target ${TAVREL_BUILD_TARGETS}
    else
        cmake --build "$dir" -j "$jobs"
    fi
}

target="${1:-all}"
if [ "$target" = "all" ]; then
    for t in linux win32 win64; do build_one "$t"; done
else
    build_one "$target"
fi
