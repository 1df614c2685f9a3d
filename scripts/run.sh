#!/usr/bin/env bash
# Builds Korvane and converts the sample XA file with the command-line converter.
# Installs whatever is missing first (Debian packages; run as root).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j "$(nproc)" --target korvane-convert
build/release/cli/korvane-convert samples/tone.xa build/tone.wav
echo "wrote build/tone.wav"
