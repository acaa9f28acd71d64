#!/usr/bin/env bash
# Runs the Windows tests under Wine: the host check against both DLLs and their export tables.
set -euo pipefail
cd "$(dirname "$0")/.."

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX="${WINEPREFIX:-$HOME/.wine-tavrel}"

status=0
for pair in win32:Tavrel.dll win64:Tavrel64.dll; do
    target=${pair%%:*}
    dll=build/$target/bin/${pair##*:}
    scripts/check-exports.sh "$dll" || status=1
    echo "wine: host check of $dll"
    wine "build/$target/bin/tavrel-hostcheck.exe" "$dll" || status=1
done
exit $status
