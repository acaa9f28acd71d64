#!/usr/bin/env bash
# The main command: installs what is missing, builds the Linux plug-in, the render tool and the
# WAV checker (no tests, no Windows targets) in build/main and renders the demo song through the
# plug-in into demo.wav, with a spectrogram, demo.png.
set -euo pipefail
cd "$(dirname "$0")/.."

start=$(date +%s)
scripts/install-deps.sh --main

# A tree of its own: build/linux belongs to scripts/build.sh linux, whose tests and benchmarks a
# configure without them here would switch off.
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build/main -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTAVREL_BUILD_TESTS=OFF -DTAVREL_BUILD_BENCHMARKS=OFF > /dev/null
cmake --build build/main -j "$jobs" --target tavrel_plugin tavrel-render tavrel-wavcheck

# Chords, bass and lead on MIDI channels 1 to 3, each played by its own instance and program.
python3 tools/demo/make_demo.py build/main/demo.mid
build/main/bin/tavrel-render build/main/demo.mid -o demo.wav \
    --channel-map "$(python3 tools/demo/make_demo.py --channel-map)"
sox demo.wav -n spectrogram -t "Tavrel demo" -o demo.png

cat <<MSG

Done in $(( $(date +%s) - start )) s.
  plug-in:      build/main/bin/tavrel.so (copy it into ~/.vst for a Linux VST 2.4 host)
  render tool:  build/main/bin/tavrel-render (try --help, --list-programs)
  WAV checker:  build/main/bin/tavrel-wavcheck (try --clicks demo.wav)
  demo:         demo.wav, and its spectrogram demo.png
The rest:
  scripts/build.sh linux    the Linux plug-in with its tests, build/linux (ctest --test-dir build/linux)
  scripts/build.sh win32    the 32-bit Windows plug-in, build/win32/bin/Tavrel.dll
  scripts/build.sh win64    the 64-bit Windows plug-in, build/win64/bin/Tavrel64.dll
  scripts/build.sh all      all three plug-ins with their tests and tools
  scripts/ci.sh             install everything, build every target from scratch and run every
                            test (about 25 min on two cores; deletes and rebuilds build/linux,
                            asan, tsan, fuzz, win32 and win64)
MSG
