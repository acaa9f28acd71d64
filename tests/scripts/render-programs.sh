#!/usr/bin/env bash
# Renders every factory program through one build's plug-in, a short chord sequence each, as
# float WAV files program-N.wav (N = 0..127) in OUTDIR, as many at once as there are cores.
#   tests/scripts/render-programs.sh BINDIR OUTDIR [RUNNER...]
# RUNNER runs the target's programs, e.g. qemu-aarch64 -L /usr/aarch64-linux-gnu.
set -euo pipefail
bin="$1"
out="$2"
shift 2
mkdir -p "$out"
# xargs exits non-zero when any render fails; each render's own error reaches stderr.
seq 0 127 | xargs -P "$(nproc)" -I{} "$@" "$bin/tavrel-render" -p "$bin/tavrel.so" \
    --program {} --notes "C3+G3+E4:1 A2+C4:1@60 F4:0.5@120 r:0.5" --tail 1.5 --format float \
    -o "$out/program-{}.wav" > /dev/null
