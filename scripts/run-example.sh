#!/usr/bin/env bash
# Installs what is missing, builds hemwright, and runs it as the host would
# on a copy of the bundled example working directory (examples/basic stays
# as it is). Shows the exit code, the rewritten file and output.xml, then
# removes the copy unless HEMWRIGHT_KEEP_EXAMPLE=1 asks to keep it.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc 2>/dev/null || echo 2)" --target hemwright

work="$(mktemp -d "${TMPDIR:-/tmp}/hemwright-example.XXXXXX")"
if [ "${HEMWRIGHT_KEEP_EXAMPLE:-0}" = 1 ]; then
  trap 'echo "== the copy is kept in $work"' EXIT
else
  trap 'rm -rf "$work"; echo "== removed the copy $work (HEMWRIGHT_KEEP_EXAMPLE=1 keeps it)"' EXIT
fi
# An interrupted run also goes through the EXIT trap.
trap 'exit 130' INT
trap 'exit 143' TERM
cp -R examples/basic/. "$work/"
echo "== working directory (a copy of examples/basic): $work"
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
