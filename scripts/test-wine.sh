#!/usr/bin/env bash
# Runs the Windows tests under Wine: the export tables and the host check of both DLLs, the
# comparison of each DLL's reference render with the native plug-in's, and the render tool
# playing the demo song.
# Needs the native build (build/linux) as well as build/win32 and build/win64.
#
# On a machine that cannot run 32-bit programs the 32-bit runtime checks are reported as skipped,
# by name, and the run passes on the strength of everything else: the 32-bit DLL was still built
# (which also proves its compile-time layout checks) and its exports and imports are still read.
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-env.sh

# Largest render difference accepted between platforms, relative to each program's peak (the
# C runtimes' exp, pow and sin differ in the last bit; measured worst 5.2e-7). The host check
# documents the measurement next to the same constant (tests/host/ReferenceRender.h).
tolerance=1e-5

native_tool=build/linux/bin/tavrel-hostcheck
native_plugin=build/linux/bin/tavrel.so
native_render=build/linux/host-render.f32

if [ ! -x "$wine64_loader" ]; then
    echo "the 64-bit Wine loader $wine64_loader is missing (scripts/install-deps.sh installs wine64)" >&2
    exit 1
fi
for file in "$native_tool" "$native_plugin"; do
    if [ ! -f "$file" ]; then
        echo "missing $file: build the native target first (scripts/build.sh linux)" >&2
        exit 1
    fi
done

detect_wine32


echo "native: reference render of $native_plugin"
rm -f "$native_render"
"$native_tool" --render "$native_render" "$native_plugin" || fail "native reference render"

python3 tools/demo/make_demo.py build/demo.mid
channel_map=$(python3 tools/demo/make_demo.py --channel-map)

for pair in win32:Tavrel.dll win64:Tavrel64.dll; do
    target=${pair%%:*}
    dll=build/$target/bin/${pair##*:}
    tool=build/$target/bin/tavrel-hostcheck.exe
    renderer=build/$target/bin/tavrel-render.exe
    checker=build/$target/bin/tavrel-wavcheck.exe
    render=build/$target/host-render.f32
    log=build/$target/host-check.log
    for file in "$dll" "$tool" "$renderer" "$checker"; do
        if [ ! -f "$file" ]; then
            fail "missing $file (scripts/build.sh $target)"
            continue 2
        fi
    done

    # Reading the export and import tables needs no execution: it runs everywhere.
    scripts/check-exports.sh "$dll" || fail "exports of $dll"

    if ! wine_can_run "$target"; then
        skip "host check of $dll"
        skip "reference render of $dll and its comparison with the native render"
        skip "demo song through $renderer, twice"
        continue
    fi

    # Wine may hide a crash behind a zero exit status: the check must also print its verdict.
    echo "wine: host check of $dll"
    run_windows "$target" "$tool" "$dll" > "$log" 2>&1
    checked=$?
    cat "$log"
    if [ "$checked" -ne 0 ] || ! grep -q '^host check passed' "$log"; then
        fail "host check of $dll (exit status $checked)"
    fi

    echo "wine: reference render of $dll"
    rm -f "$render"
    if ! run_windows "$target" "$tool" --render "$render" "$dll" || [ ! -s "$render" ]; then
        fail "reference render of $dll"
    elif [ -s "$native_render" ]; then
        echo "compare: $render ($target) against $native_render (native), tolerance $tolerance"
        "$native_tool" --compare "$native_render" "$render" "$tolerance" ||
            fail "$target render differs from the native render"
    fi

    # The render tool under Wine: the demo song through the DLL beside it, twice, must be
    # finite, not silent and the same both times.
    echo "wine: demo song through $renderer"
    for take in 1 2; do
        rm -f "build/$target/demo-$take.wav"
        run_windows "$target" "$renderer" build/demo.mid -o "build/$target/demo-$take.wav" -q \
            --format float --gain -9 --channel-map "$channel_map" ||
            fail "demo render $take under wine ($target)"
    done
    run_windows "$target" "$checker" --min-peak -40 "build/$target/demo-1.wav" ||
        fail "the $target demo render is silent or not finite"
    cmp -s "build/$target/demo-1.wav" "build/$target/demo-2.wav" ||
        fail "two $target renders of the demo song differ"
done

finish_wine_tests "wine tests passed"
