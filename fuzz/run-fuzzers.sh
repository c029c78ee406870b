#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/CMakeLists.txt, clang, ASan + UBSan) in
# build-fuzz/ and runs each one for SECONDS seconds on a scratch copy of its
# seed corpus (fuzz/corpus/<target>/) in a scratch directory under TMPDIR,
# so that the repository's corpus stays as it is; the scratch directory is
# removed at the end, also after Ctrl-C. Prints one line per target and
# exits non-zero when any target fails (a crash, a broken property, a leak
# or a timeout).
#
#   bash fuzz/run-fuzzers.sh SECONDS
set -euo pipefail

if [[ $# -ne 1 || ! "$1" =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: bash fuzz/run-fuzzers.sh SECONDS" >&2
    exit 2
fi
seconds=$1
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$repo/build-fuzz"

# target and the longest input worth trying for it
targets=(
    "input_output_fuzzer 4096"
    "xml_escape_fuzzer 512"
    "date_fuzzer 64"
    "version_fuzzer 64"
    "string_tokenizer_fuzzer 1024"
    "utf8_to_latin1_fuzzer 256"
)

mkdir -p "$build"
CC=clang CXX=clang++ cmake -S "$repo/fuzz" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$build/configure.log" 2>&1 ||
    { cat "$build/configure.log" >&2; exit 1; }
cmake --build "$build" -j2 >"$build/build.log" 2>&1 || { tail -50 "$build/build.log" >&2; exit 1; }

# The scratch copies go to TMPDIR and are removed however the script ends.
# Each target runs with its own scratch folder as TMPDIR, so that the working
# directory input_output_fuzzer makes goes with it.
scratch=$(mktemp -d "${TMPDIR:-/tmp}/hemwright-fuzz-run.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
failed=0
for entry in "${targets[@]}"; do
    read -r target max_len <<<"$entry"
    name=${target%_fuzzer}
    corpus="$scratch/$name/corpus"
    artifacts="$scratch/$name/artifacts/"
    mkdir -p "$corpus" "$artifacts"
    cp "$repo/fuzz/corpus/$name/"* "$corpus/"
    log="$scratch/$name/fuzz.log"
    if TMPDIR="$scratch/$name" "$build/$target" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$artifacts" -print_final_stats=1 "$corpus" >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        echo "PASS $target (${runs:-?} runs in ${seconds}s)"
    else
        failed=1
        kept="$build/findings/$name"
        mkdir -p "$kept"
        cp "$artifacts"* "$log" "$kept/" 2>/dev/null || true
        echo "FAIL $target: $(grep -m1 -E 'PROPERTY FAILED|ERROR: |SUMMARY' "$log" || echo 'see the log')"
        echo "     input and log kept in $kept"
    fi
done
exit "$failed"
