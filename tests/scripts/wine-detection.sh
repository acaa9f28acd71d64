#!/usr/bin/env bash
# Tests the Wine scripts' handling of machines that cannot run 32-bit programs, on any machine:
# the 32-bit loader is replaced by a file that is not a program, as such a machine sees the real
# one ("Exec format error").
#   1. The Wine tests say which case it is, skip the 32-bit runtime checks by name, still read the
#      32-bit DLL's exports, run every 64-bit check, and pass.
#   2. A broken 64-bit loader is a failure, never a skip.
#   3. The GUI checks under Xvfb (scripts/test-gui-wine.sh: the toolkit's and the editor's) skip
#      their 32-bit runs by name and pass on the 64-bit ones.
# Needs the builds that scripts/test-wine.sh needs.
set -uo pipefail
cd "$(dirname "$0")/../.."

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
not_a_program="$work/not-a-program"
printf '\177ELF\001\001\001\000not a program' > "$not_a_program"
chmod +x "$not_a_program"

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
expect_line() {
    grep -qF -- "$2" "$1" || fail "no line '$2' in the output"
}

echo "case 1: no 32-bit programs"
TAVREL_WINE32_LOADER="$not_a_program" scripts/test-wine.sh > "$work/no32.log" 2>&1
result=$?
[ "$result" -eq 0 ] || fail "the Wine tests failed without 32-bit programs (exit status $result)"
expect_line "$work/no32.log" "32-bit programs: this machine cannot run them"
expect_line "$work/no32.log" "SKIPPED: host check of build/win32/bin/Tavrel.dll"
expect_line "$work/no32.log" "SKIPPED: reference render of build/win32/bin/Tavrel.dll"
expect_line "$work/no32.log" "SKIPPED: demo song through build/win32/bin/tavrel-render.exe"
expect_line "$work/no32.log" "build/win32/bin/Tavrel.dll: exports VSTPluginMain and main only"
expect_line "$work/no32.log" "wine: host check of build/win64/bin/Tavrel64.dll"
expect_line "$work/no32.log" "wine: demo song through build/win64/bin/tavrel-render.exe"
expect_line "$work/no32.log" "wine tests passed"
if grep -q "SKIPPED: .*win64" "$work/no32.log"; then
    fail "a 64-bit check was skipped"
fi
[ "$(grep -c '^host check passed' "$work/no32.log")" -eq 1 ] ||
    fail "the 64-bit host check did not pass exactly once"

echo "case 2: a 64-bit loader that does not start"
TAVREL_WINE32_LOADER="$not_a_program" TAVREL_WINE64_LOADER="$not_a_program" \
    scripts/test-wine.sh > "$work/no64.log" 2>&1
result=$?
[ "$result" -ne 0 ] || fail "the Wine tests passed with a 64-bit loader that does not start"
expect_line "$work/no64.log" "FAILED: host check of build/win64/bin/Tavrel64.dll"
if grep -q "SKIPPED: .*win64" "$work/no64.log"; then
    fail "a failing 64-bit check was reported as skipped"
fi

echo "case 3: the GUI checks without 32-bit programs"
TAVREL_WINE32_LOADER="$not_a_program" scripts/test-gui-wine.sh > "$work/gui.log" 2>&1
result=$?
[ "$result" -eq 0 ] || fail "the GUI tests failed without 32-bit programs (exit status $result)"
expect_line "$work/gui.log" "SKIPPED: toolkit check of build/win32/bin/tavrel-guicheck.exe"
expect_line "$work/gui.log" "SKIPPED: editor check of build/win32/bin/tavrel-editorcheck.exe"
expect_line "$work/gui.log" "wine: toolkit check of build/win64/bin/tavrel-guicheck.exe"
expect_line "$work/gui.log" "wine: editor check of build/win64/bin/tavrel-editorcheck.exe"
expect_line "$work/gui.log" "gui tests passed"
[ "$(grep -c '^gui check passed' "$work/gui.log")" -eq 1 ] ||
    fail "the 64-bit toolkit check did not pass exactly once"
[ "$(grep -c '^editor check passed' "$work/gui.log")" -eq 1 ] ||
    fail "the 64-bit editor check did not pass exactly once"

if [ "$failures" -ne 0 ]; then
    echo "--- output without 32-bit programs:"
    cat "$work/no32.log"
    echo "--- GUI checks without 32-bit programs:"
    cat "$work/gui.log"
    echo "wine detection test: $failures failures"
    exit 1
fi
echo "wine detection test passed"
