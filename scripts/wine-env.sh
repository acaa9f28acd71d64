# Sourced by every script that runs Windows programs under Wine: the Wine settings, the two loaders
# and the one-time finding whether this machine can run 32-bit programs at all.
#
# Some x86_64 machines execute no 32-bit x86 program (the kernel answers "Exec format error"),
# although Debian's i386 packages install on them. There the 32-bit loader cannot start, and
# /usr/bin/wine, which prefers the 32-bit loader whenever it is installed, fails for 64-bit
# programs too. So 64-bit programs always go straight to the 64-bit loader, and 32-bit programs
# run only where the 32-bit loader was seen to start.
#
# TAVREL_WINE32_LOADER and TAVREL_WINE64_LOADER name other loaders (the detection test points
# the first at a file that is not a program).

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX="${WINEPREFIX:-$HOME/.wine-tavrel}"

wine32_loader="${TAVREL_WINE32_LOADER:-/usr/lib/wine/wine}"
wine64_loader="${TAVREL_WINE64_LOADER:-/usr/lib/wine/wine64}"

# Sets wine32_usable (1 or 0) and wine32_reason, and prints one line saying which case it is.
detect_wine32() {
    local output status
    wine32_usable=0
    if [ ! -e "$wine32_loader" ]; then
        wine32_reason="there is no 32-bit Wine loader at $wine32_loader"
    else
        output=$("$wine32_loader" --version 2>&1)
        status=$?
        if [ "$status" -eq 0 ]; then
            wine32_usable=1
            wine32_reason="$wine32_loader runs ($output)"
        else
            wine32_reason="$wine32_loader does not start (exit status $status: ${output##*: })"
        fi
    fi
    if [ "$wine32_usable" -eq 1 ]; then
        echo "32-bit programs: this machine runs them; 32-bit and 64-bit Windows tests run" \
            "($wine32_reason)"
    else
        echo "32-bit programs: this machine cannot run them; the 32-bit runtime checks are" \
            "skipped, the 64-bit ones run ($wine32_reason)"
    fi
}

# The loader for a build target: win32 or win64.
wine_loader() {
    case "$1" in
    win32) echo "$wine32_loader" ;;
    win64) echo "$wine64_loader" ;;
    *) echo "wine_loader: unknown target $1" >&2; return 2 ;;
    esac
}

# Whether programs of a build target can run here (after detect_wine32).
wine_can_run() {
    [ "$1" = win64 ] || [ "${wine32_usable:-0}" -eq 1 ]
}

# Runs a Windows program of a build target: run_windows win32|win64 PROGRAM [ARGS...]
run_windows() {
    local loader
    loader=$(wine_loader "$1") || return 2
    shift
    "$loader" "$@"
}

# The verdicts of a Wine test script: fail marks the run failed, skip records a 32-bit runtime
# check this machine cannot run, and finish_wine_tests lists the skipped checks, prints the given
# success line when nothing failed, and returns the run's status.
wine_status=0
declare -a wine_skipped=()
fail() {
    echo "FAILED: $*"
    wine_status=1
}
skip() {
    echo "SKIPPED: $* (needs a machine that runs 32-bit programs)"
    wine_skipped+=("$*")
}
finish_wine_tests() {
    if [ "${#wine_skipped[@]}" -gt 0 ]; then
        echo "skipped ${#wine_skipped[@]} 32-bit runtime checks: $wine32_reason"
        printf '  skipped: %s\n' "${wine_skipped[@]}"
    fi
    if [ "$wine_status" -eq 0 ]; then
        echo "$1"
    fi
    return $wine_status
}
