#!/usr/bin/env bash
# Runs the window toolkit's check of both Windows builds under Wine on a virtual X display (Xvfb):
# windows, controls, painting and the images of the built plug-in DLL. The check's screenshots
# land in build/<target>/artifacts/ (toolkit-panel.png, panel-image.png).
# Needs build/win32 and build/win64. On a machine that cannot run 32-bit programs the 32-bit check
# is reported as skipped, by name.
set -uo pipefail
cd "$(dirname "$0")/.."

# The GUI runs in a Wine prefix of its own: a wineserver that other Wine tests started without a
# display (and that lingers a few seconds after them) would refuse to make windows for it. The
# first run creates the prefix (about 20 s); later runs take a few seconds.
export WINEPREFIX="${TAVREL_GUI_WINEPREFIX:-$HOME/.wine-tavrel-gui}"
source scripts/wine-env.sh

# One private X server for the whole run, so no test window lands on a user's display and the
# pointer the check moves is nobody else's.
if [ -z "${TAVREL_GUI_UNDER_XVFB:-}" ]; then
    if ! command -v xvfb-run > /dev/null; then
        echo "xvfb-run is missing (scripts/install-deps.sh installs xvfb and xauth)" >&2
        exit 1
    fi
    TAVREL_GUI_UNDER_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

if [ ! -x "$wine64_loader" ]; then
    echo "the 64-bit Wine loader $wine64_loader is missing (scripts/install-deps.sh installs wine64)" >&2
    exit 1
fi

detect_wine32

status=0
declare -a skipped=()
fail() {
    echo "FAILED: $*"
    status=1
}
skip() {
    echo "SKIPPED: $* (needs a machine that runs 32-bit programs)"
    skipped+=("$*")
}

for pair in win32:Tavrel.dll win64:Tavrel64.dll; do
    target=${pair%%:*}
    dll=build/$target/bin/${pair##*:}
    check=build/$target/bin/tavrel-guicheck.exe
    artifacts=build/$target/artifacts
    log=build/$target/gui-check.log
    for file in "$dll" "$check"; do
        if [ ! -f "$file" ]; then
            fail "missing $file (scripts/build.sh $target)"
            continue 2
        fi
    done
    if ! wine_can_run "$target"; then
        skip "toolkit check of $check"
        continue
    fi

    # Wine may hide a crash behind a zero exit status: the check must also print its verdict.
    echo "wine: toolkit check of $check with $dll"
    started=$(date +%s)
    mkdir -p "$artifacts"
    run_windows "$target" "$check" "$dll" "$artifacts" > "$log" 2>&1
    checked=$?
    cat "$log"
    if [ "$checked" -ne 0 ] || ! grep -q '^gui check passed' "$log"; then
        fail "toolkit check of $check (exit status $checked)"
    fi
    echo "($target: $(($(date +%s) - started)) s; screenshots in $artifacts)"
done

if [ "${#skipped[@]}" -gt 0 ]; then
    echo "skipped ${#skipped[@]} 32-bit runtime checks: $wine32_reason"
    printf '  skipped: %s\n' "${skipped[@]}"
fi
if [ "$status" -eq 0 ]; then
    echo "gui tests passed"
fi
exit $status
