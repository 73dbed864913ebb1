#!/usr/bin/env bash
# Runs clang-tidy with the checks of .clang-tidy over the program's sources (not the tests, fuzz targets or
# benchmarks), with the compile commands of build/ (configured with the preset "dev" first when missing).
# Installs clang-tidy with apt-get when it is missing. QUENZOR_JOBS sets how many files are checked at once.
# Exits non-zero on any finding.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang-tidy >/dev/null; then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    $SUDO apt-get update
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends clang-tidy
fi
[ -f build/compile_commands.json ] || cmake --preset dev
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
git ls-files 'app/*.cpp' 'cli/*.cpp' 'conversion/*.cpp' 'encoder/*.cpp' 'extras/*.cpp' 'jobs/*.cpp' \
    'platform/*.cpp' 'settings/*.cpp' 'ui/*.cpp' |
    xargs -P "${QUENZOR_JOBS:-$(nproc)}" -n 4 clang-tidy -p build --quiet >"$log" 2>&1 || status=$?
# The findings only, without clang-tidy's counts of what it left out.
grep -v -E '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$|^Suppressed [0-9]+ warnings' "$log" || true
exit "$status"
