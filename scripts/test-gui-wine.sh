#!/usr/bin/env bash
# Runs the GUI checks of both Windows builds under Wine on a virtual X display (Xvfb): the window
# toolkit's check (windows, controls, painting, the images of the built plug-in DLL) and the
# editor's check (the built DLL hosted through VSTPluginMain, its panel opened with effEditOpen and
# driven with synthesized input, menus, dialogs, MIDI learn, import, open and close while another
# thread processes, damaged images, hosts that call back in from inside the panel's calls, menus
# and dialogs), and the two-thread host stress with the editor open and idle
# ticks running. Screenshots land in build/<target>/artifacts/:
# toolkit-panel.png, panel-image.png, editor-factory.png, editor-sh-bleeps.png, editor-status.png,
# status-long-name.png, status-learning.png, status-after-program-change.png, waveform-menu.png,
# edit-midi-learn.png, edit-midi-learn-over-panel.png, about.png.
# Needs build/win32 and build/win64. On a machine that cannot run 32-bit programs the 32-bit checks
# are reported as skipped, by name.
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
    # Wide enough for the editor's panel and the check's reference panel side by side.
    TAVREL_GUI_UNDER_XVFB=1 exec xvfb-run -a -s "-screen 0 1700x1024x24" "$0" "$@"
fi

if [ ! -x "$wine64_loader" ]; then
    echo "the 64-bit Wine loader $wine64_loader is missing (scripts/install-deps.sh installs wine64)" >&2
    exit 1
fi

detect_wine32

# Xvfb has no window manager, and Wine waits up to 2 s for one to acknowledge every top-level
# window it hides (each dialog, message box and panel host): the prefix's windows go unmanaged.
if ! grep -q '^"Managed"="N"' "$WINEPREFIX/user.reg" 2> /dev/null; then
    "$wine64_loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f > /dev/null 2>&1 ||
        echo "note: could not set Wine's windows unmanaged; the checks take longer"
fi


for pair in win32:Tavrel.dll win64:Tavrel64.dll; do
    target=${pair%%:*}
    dll=build/$target/bin/${pair##*:}
    artifacts=build/$target/artifacts
    for program in guicheck editorcheck stress; do
        case $program in
        guicheck) name=toolkit verdict="gui check passed" arguments=("$dll" "$artifacts") ;;
        editorcheck) name=editor verdict="editor check passed" arguments=("$dll" "$artifacts") ;;
        # Two host threads for 5 s with the editor open and idle ticks running.
        stress) name=stress verdict="host stress passed" arguments=(--seconds 5 --editor "$dll") ;;
        esac
        check=build/$target/bin/tavrel-$program.exe
        log=build/$target/$program.log
        for file in "$dll" "$check"; do
            if [ ! -f "$file" ]; then
                fail "missing $file (scripts/build.sh $target)"
                continue 2
            fi
        done
        if ! wine_can_run "$target"; then
            skip "$name check of $check"
            continue
        fi

        # Wine may hide a crash behind a zero exit status: the check must also print its verdict.
        echo "wine: $name check of $check with $dll"
        started=$(date +%s)
        mkdir -p "$artifacts"
        run_windows "$target" "$check" "${arguments[@]}" > "$log" 2>&1
        checked=$?
        grep -v "^wine: Read access denied for device" "$log"
        if [ "$checked" -ne 0 ] || ! grep -q "^$verdict" "$log"; then
            fail "$name check of $check (exit status $checked)"
        fi
        echo "($target $name: $(($(date +%s) - started)) s; screenshots in $artifacts)"
    done
done

finish_wine_tests "gui tests passed"
