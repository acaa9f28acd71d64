#!/usr/bin/env bash
# The main command: installs what is missing, builds the Linux plug-in and the render tool (no
# tests, no Windows targets) and renders the demo song through the plug-in into demo.wav, with a
# spectrogram, demo.png.
set -euo pipefail
cd "$(dirname "$0")/.."

start=$(date +%s)
scripts/install-deps.sh --main

# The same tree as scripts/build.sh linux, which switches the tests and benchmarks back on.
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build/linux -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTAVREL_BUILD_TESTS=OFF -DTAVREL_BUILD_BENCHMARKS=OFF > /dev/null
cmake --build build/linux -j "$jobs" --target tavrel_plugin tavrel-render

# Chords, bass and lead on MIDI channels 1 to 3, each played by its own instance and program.
python3 tools/demo/make_demo.py build/demo.mid
build/linux/bin/tavrel-render build/demo.mid -o demo.wav --gain -9 \
    --channel-map "$(python3 tools/demo/make_demo.py --channel-map)"
sox demo.wav -n spectrogram -t "Tavrel demo" -o demo.png

cat <<MSG

Done in $(( $(date +%s) - start )) s.
  plug-in:      build/linux/bin/tavrel.so (copy it into ~/.vst for a Linux VST 2.4 host)
  render tool:  build/linux/bin/tavrel-render (try --help, --list-programs)
  demo:         demo.wav, and its spectrogram demo.png
The rest:
  scripts/build.sh win32    the 32-bit Windows plug-in, build/win32/bin/Tavrel.dll
  scripts/build.sh win64    the 64-bit Windows plug-in, build/win64/bin/Tavrel64.dll
  scripts/build.sh all      all three plug-ins with their tests and tools
  scripts/ci.sh             install everything, build every target and run every test
MSG
