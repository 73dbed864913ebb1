#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs every test (CMake preset "dev", in
# build/). "--sanitize" uses the preset "asan" instead (AddressSanitizer and UndefinedBehaviorSanitizer,
# in build-asan/). QUENZOR_JOBS sets the number of build jobs.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
preset=dev
[ "${1:-}" = "--sanitize" ] && preset=asan
cmake --preset "$preset"
cmake --build --preset "$preset" --parallel "${QUENZOR_JOBS:-$(nproc)}"
QT_QPA_PLATFORM=offscreen ctest --preset "$preset"
