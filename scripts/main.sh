#!/usr/bin/env bash
# The main command: installs what is missing, builds all three targets and renders the demo song
# through the built plug-in into demo.wav (and a spectrogram, demo.png, where sox is installed).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build.sh all

# Chords, bass and lead on MIDI channels 1 to 3, each played by its own instance and program.
python3 tools/demo/make_demo.py build/demo.mid
build/linux/bin/tavrel-render build/demo.mid -o demo.wav --gain -9 \
    --channel-map "$(python3 tools/demo/make_demo.py --channel-map)"

if command -v sox > /dev/null; then
    sox demo.wav -n spectrogram -t "Tavrel demo" -o demo.png
    echo "demo.png: spectrogram of the render"
fi
