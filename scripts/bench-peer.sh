#!/usr/bin/env bash
# Tavrel beside Debian's amsynth instrument: builds the native plug-in and tavrel-peerbench, then
# prints the real-time factors of both in alternating rounds (16 held notes, 44.1 kHz, blocks of
# 512; Tavrel with its effects off and with every effect on). A tool, not a test: the figures
# depend on the machine and its load.
#   scripts/bench-peer.sh [tavrel-peerbench options, e.g. --rounds 5 --seconds 20]
set -euo pipefail
cd "$(dirname "$0")/.."

if [ ! -f /usr/lib/vst/amsynth_vst.so ]; then
    scripts/install-deps.sh
fi
cmake -S . -B build/linux -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build build/linux --target tavrel_plugin tavrel-peerbench
build/linux/bin/tavrel-peerbench "$@"
