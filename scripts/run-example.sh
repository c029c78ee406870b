#!/usr/bin/env bash
# Installs what is missing, builds hemwright, and runs it as the host would
# on a copy of the bundled example working directory (examples/basic stays
# as it is). Shows the exit code, the rewritten file and output.xml.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc 2>/dev/null || echo 2)" --target hemwright

work="$(mktemp -d "${TMPDIR:-/tmp}/hemwright-example.XXXXXX")"
cp -R examples/basic/. "$work/"
echo "== working directory: $work"
echo "== files/report.txt before:"
cat "$work/files/report.txt"; echo

set +e
(cd "$work" && "$root/build/bin/hemwright")
code=$?
set -e

echo "== exit code: $code"
echo "== files/report.txt after:"
cat "$work/files/report.txt"; echo
echo "== output.xml:"
cat "$work/output.xml"
