#!/usr/bin/env bash
# Renders every factory program through one build's plug-in, a short chord sequence each, as
# float WAV files program-N.wav (N = 0..127) in OUTDIR.
#   tests/scripts/render-programs.sh BINDIR OUTDIR [RUNNER...]
# RUNNER runs the target's programs, e.g. qemu-aarch64 -L /usr/aarch64-linux-gnu.
set -euo pipefail
bin="$1"
out="$2"
shift 2
mkdir -p "$out"
for program in $(seq 0 127); do
    "$@" "$bin/tavrel-render" -p "$bin/tavrel.so" --program "$program" \
        --notes "C3+G3+E4:1 A2+C4:1@60 F4:0.5@120 r:0.5" --tail 1.5 --format float \
        -o "$out/program-$program.wav" > /dev/null
done
