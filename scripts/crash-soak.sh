#!/usr/bin/env bash
# Long crash test: kills hemwright with SIGKILL at random moments while it
# rewrites a large file and while it rewrites a step of many small files, and
# checks after every kill that each file is exactly its old or its new content,
# then that a clean run finishes the job without leaving a temporary file.
#
#   bash scripts/crash-soak.sh [KILLS]        (default 200)
#
# Environment: HEMWRIGHT_BUILD_DIR (default build), HEMWRIGHT_SOAK_SIZE_MIB
# (large file, default 128), HEMWRIGHT_SOAK_FILES (default 300),
# HEMWRIGHT_SOAK_SEED (default: from the clock; printed, so a run can be
# repeated). Needs about three times the large file's size free in the
# temporary directory. Builds the two targets it needs first (a no-op when
# they are up to date).
set -euo pipefail
cd "$(dirname "$0")/.."

kills="${1:-200}"
if ! [[ "$kills" =~ ^[0-9]+$ ]] || [ "$kills" -eq 0 ]; then
    echo "usage: $0 [KILLS]  (a positive number, default 200)" >&2
    exit 2
fi
build="${HEMWRIGHT_BUILD_DIR:-build}"

if [ ! -f "$build/CMakeCache.txt" ]; then
    bash scripts/install-deps.sh
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target hemwright hemwright_tests -j 2 >/dev/null

log="$(mktemp)"
trap 'rm -f "$log"' EXIT
status=0
HEMWRIGHT_SOAK_KILLS="$kills" "$build/bin/hemwright_tests" \
    --gtest_also_run_disabled_tests --gtest_filter='CrashSoak.*' >"$log" 2>&1 || status=$?

echo "== summary =="
grep -E '^(crash soak|clean run|large file|step of|runs that)' "$log" || true
if [ "$status" -ne 0 ]; then
    echo "== failures =="
    grep -E -A6 'Failure|FAILED' "$log" | head -80 || true
    echo "crash soak failed (see above)" >&2
fi
exit "$status"
