#!/usr/bin/env bash
# Builds and runs every test: the native build, the same suite under
# AddressSanitizer and UndefinedBehaviorSanitizer, and the scripts' own tests.
# Installs whatever is missing first (Debian packages; run as root).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

scripts/install-deps.sh qt

step() { printf '\n==> %s\n' "$*" >&2; }

step "native build and tests"
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j "$jobs"
ctest --test-dir build/release --output-on-failure -j "$jobs"

step "AddressSanitizer and UndefinedBehaviorSanitizer build and tests"
cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVANE_SANITIZE=ON \
    -DKORVANE_BUILD_BENCH=OFF >/dev/null
cmake --build build/sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build/sanitize --output-on-failure -j "$jobs"

step "script tests"
python3 -m unittest discover -s tests -p '*_test.py'

step "all tests passed"
