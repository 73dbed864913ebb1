#!/usr/bin/env bash
# Installs what is missing, builds and runs every test. "--sanitize" builds into build-asan with
# AddressSanitizer and UndefinedBehaviorSanitizer instead. QUENZOR_JOBS sets the number of build jobs.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
dir=build
extra=()
if [ "${1:-}" = "--sanitize" ]; then
    dir=build-asan
    extra=(-DQUENZOR_SANITIZE=ON)
    export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
fi
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${extra[@]}"
cmake --build "$dir" --parallel "${QUENZOR_JOBS:-$(nproc)}"
cd "$dir"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 1500 -j2
