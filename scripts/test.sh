#!/usr/bin/env bash
# Installs what is missing, builds warning-clean, and runs the whole test
# suite twice: once in a plain build and once built with AddressSanitizer
# and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs="$(nproc 2>/dev/null || echo 2)"

echo "== build (warnings are errors) =="
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHEMWRIGHT_WERROR=ON >/dev/null
cmake --build build -j "$jobs"
echo "== tests =="
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== build with AddressSanitizer and UndefinedBehaviorSanitizer =="
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DHEMWRIGHT_WERROR=ON -DHEMWRIGHT_SANITIZE=ON >/dev/null
cmake --build build-sanitize -j "$jobs"
echo "== tests under the sanitizers =="
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-sanitize --output-on-failure -j "$jobs"
