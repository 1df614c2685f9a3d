#!/usr/bin/env bash
# Builds Korvane and runs it: the Linux program `korvane` in a window when there
# is a display, else the command-line converter on the sample XA file.
# Installs whatever is missing first (Debian packages; run as root).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh qt
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null

if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
    cmake --build build/release -j "$(nproc)" --target korvane
    echo "starting build/release/platform/qt/korvane: pick an XA file (try samples/tone.xa), then a WAV name"
    exec build/release/platform/qt/korvane
fi

echo "no display (neither DISPLAY nor WAYLAND_DISPLAY is set), so the windowed program cannot start."
echo "without one, use the command-line converter: build/release/cli/korvane-convert INPUT.XA OUTPUT.WAV"
cmake --build build/release -j "$(nproc)" --target korvane-convert
build/release/cli/korvane-convert samples/tone.xa build/tone.wav
echo "wrote build/tone.wav"
