#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs every test (CMake preset "dev", in
# build/). "--sanitize" instead runs every test under AddressSanitizer and UndefinedBehaviorSanitizer
# (preset "asan", in build-asan/), then the tests of the encoder and the conversion run, which are the
# code with threads, under ThreadSanitizer (preset "tsan", in build-tsan/; only their test programs are
# built). "--thread" runs that last stage alone. QUENZOR_JOBS sets the number of build jobs.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
case "${1:-}" in
    --sanitize) presets=(asan tsan) ;;
    --thread) presets=(tsan) ;;
    *) presets=(dev) ;;
esac
for preset in "${presets[@]}"; do
    cmake --preset "$preset"
    cmake --build --preset "$preset" --parallel "${QUENZOR_JOBS:-$(nproc)}"
    QT_QPA_PLATFORM=offscreen ctest --preset "$preset"
done
