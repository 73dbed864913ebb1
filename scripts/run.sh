#!/usr/bin/env bash
# Installs what is missing, builds, and starts Quenzor from its staged program directory build/Quenzor/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --parallel "${QUENZOR_JOBS:-$(nproc)}"
exec build/Quenzor/quenzor
