#!/usr/bin/env bash
# Checks that a built plug-in exports exactly VSTPluginMain and main, undecorated, and (for a DLL)
# needs no DLL beyond those of the system.
set -euo pipefail
file="$1"

fail() { echo "FAIL: $*" >&2; exit 1; }

case "$file" in
*.so)
    exports=$(nm -D --defined-only "$file" | awk '$2 ~ /^[TtWw]$/ {print $3}' | sort | tr '\n' ' ')
    [ "$exports" = "VSTPluginMain main " ] || fail "$file exports: $exports"
    ;;
*.dll)
    objdump=x86_64-w64-mingw32-objdump # reads 32-bit and 64-bit DLLs alike
    exports=$($objdump -p "$file" | awk '/\[Ordinal\/Name Pointer\] Table/ {table=1; next}
        table && NF == 0 {table=0} table {print $NF}' | sort | tr '\n' ' ')
    [ "$exports" = "VSTPluginMain main " ] || fail "$file exports: $exports"
    dlls=$($objdump -p "$file" | awk '/DLL Name:/ {print tolower($3)}' | sort -u | tr '\n' ' ')
    for dll in $dlls; do
        case "$dll" in
        kernel32.dll|user32.dll|gdi32.dll|gdiplus.dll|ole32.dll|comdlg32.dll|shell32.dll|msvcrt.dll|advapi32.dll|api-ms-win-*) ;;
        *) fail "$file needs $dll" ;;
        esac
    done
    ;;
*) fail "unknown plug-in kind: $file" ;;
esac
echo "$file: exports VSTPluginMain and main only"
