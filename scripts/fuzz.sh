#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ with clang's libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer
# (in build-fuzz/) and runs each for a while, starting from its kept corpus in fuzz/corpus/<name>/. Inputs
# that reach new code collect in build-fuzz/corpus/<name>/; an input that breaks a property or crashes is
# saved as build-fuzz/artifacts/<name>-crash-... and ends that target's run. "--keep" then merges into
# fuzz/corpus/<name>/ only the new inputs that add coverage (keep that corpus small: a few dozen files).
# The normal build replays the kept corpora without clang (ctest -R fuzz).
#
#   scripts/fuzz.sh [--keep] [seconds per target, default 600] [target ...]
#   targets: ini registry thank encoder desktop writer ra144
set -euo pipefail
cd "$(dirname "$0")/.."

keep=0
if [ "${1:-}" = "--keep" ]; then
    keep=1
    shift
fi
seconds=${1:-600}
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(ini registry thank encoder desktop writer ra144)

for tool in clang++ pkg-config; do
    command -v "$tool" >/dev/null || { echo "$tool is needed (apt-get install clang libclang-rt-14-dev)" >&2; exit 1; }
done

core=(platform/core/*.cpp)
declare -A sources=(
    [ini]="fuzz/IniStoreFuzz.cpp settings/IniFiles32.cpp settings/Settings.cpp"
    [registry]="fuzz/RegistryHiveFuzz.cpp platform/Registry.cpp platform/RegistryEdit.cpp platform/ProgramDir.cpp
                platform/EncoderRegistration.cpp"
    [thank]="fuzz/ThankFileFuzz.cpp extras/ThankFile.cpp"
    # The encoder without its control (the only part that needs Qt).
    [encoder]="fuzz/EncoderInputFuzz.cpp $(ls encoder/*.cpp encoder/rm/*.cpp encoder/ra144/*.cpp | grep -v -e BuiltinEncoder -e WideText)"
    [writer]="fuzz/RmWriterFuzz.cpp $(ls encoder/rm/*.cpp)"
    [ra144]="fuzz/Ra144Fuzz.cpp encoder/Ra144Stream.cpp $(ls encoder/ra144/*.cpp)"
    [desktop]="fuzz/DesktopEntryFuzz.cpp platform/DesktopEntry.cpp"
)
# The registry reader finds its hive through the program directory, which asks Qt where the program is.
declare -A libraries=([ini]="" [registry]="$(pkg-config --cflags --libs Qt6Core)" [thank]=""
    [encoder]="$(pkg-config --cflags --libs libavformat libavcodec libswscale libswresample libavutil)"
    [writer]="$(pkg-config --cflags --libs libavformat libavcodec libavutil)"
    [ra144]="$(pkg-config --cflags --libs libavcodec libavutil)" [desktop]="")
# Media sources are larger than text; one encode takes a good part of a second.
declare -A max_len=([ini]=4096 [registry]=4096 [thank]=4096 [encoder]=65536 [writer]=8192 [ra144]=8192 [desktop]=4096)

mkdir -p build-fuzz/artifacts
for name in "${targets[@]}"; do
    [ -n "${sources[$name]:-}" ] || { echo "unknown target $name" >&2; exit 1; }
    echo "== $name: building"
    # shellcheck disable=SC2086
    clang++ -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
        -I. ${sources[$name]} "${core[@]}" ${libraries[$name]} -o "build-fuzz/fuzz_$name"
    mkdir -p "build-fuzz/corpus/$name"
    dictionary=()
    [ -f "fuzz/$name.dict" ] && dictionary=("-dict=fuzz/$name.dict")
    echo "== $name: running for $seconds s"
    "build-fuzz/fuzz_$name" -max_total_time="$seconds" -max_len="${max_len[$name]}" -timeout=30 -print_final_stats=1 \
        -artifact_prefix="build-fuzz/artifacts/$name-" "${dictionary[@]}" \
        "build-fuzz/corpus/$name" "fuzz/corpus/$name"
    if [ "$keep" = 1 ]; then
        # Edges only, not how often they run: the kept corpus stays at a few dozen files.
        "build-fuzz/fuzz_$name" -merge=1 -use_counters=0 "fuzz/corpus/$name" "build-fuzz/corpus/$name"
    fi
done
