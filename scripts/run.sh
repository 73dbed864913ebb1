#!/usr/bin/env bash
# Installs what is missing, builds, and starts Quenzor from its staged program directory build/Quenzor/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset dev
cmake --build --preset dev --parallel "${QUENZOR_JOBS:-$(nproc)}"
exec build/Quenzor/quenzor
