#!/usr/bin/env bash
# Builds the Debian package from a build tree, unpacks it into a scratch root
# (never into the live system) and runs the unpacked hemwright and
# hemwright-step on copies of the bundled example. Exit 77 means skipped.
# Usage: test-package.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build="$1"
source="$2"

for tool in cpack dpkg-deb; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIP: $tool is not installed"
    exit 77
  fi
done

scratch="$(mktemp -d "${TMPDIR:-/tmp}/hemwright-package-test.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }
# A command that fails outside fail() must not end the test without a word.
trap 'echo "FAIL: command at line $LINENO of $0 failed" >&2' ERR

# The install rules put the built files into a staging root, and cpack
# packages that root with the project's own package settings. (A plain cpack
# would first build every target of the tree, tests included.)
cmake --install "$build" --prefix "$scratch/stage/usr" >"$scratch/install.log" 2>&1 \
  || { cat "$scratch/install.log"; fail "cmake --install failed"; }
cpack --config "$build/CPackConfig.cmake" -B "$scratch/out" \
  -D CPACK_INSTALL_CMAKE_PROJECTS= -D "CPACK_INSTALLED_DIRECTORIES=$scratch/stage;." >"$scratch/cpack.log" 2>&1 \
  || { cat "$scratch/cpack.log"; fail "cpack failed"; }
debs=("$scratch"/out/*.deb)
[ "${#debs[@]}" -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb in $scratch/out"
deb="${debs[0]}"

root="$scratch/root"
dpkg-deb -x "$deb" "$root"
for file in usr/bin/hemwright usr/bin/hemwright-step usr/share/doc/hemwright/README.md; do
  [ -f "$root/$file" ] || fail "$file is not in the package"
done

# Every library the binaries load must come from a package named in Depends;
# a missing one would leave an installed hemwright unable to start.
depends="$(dpkg-deb -f "$deb" Depends)"
[ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail "no Maintainer field"
[ -n "$(dpkg-deb -f "$deb" Description)" ] || fail "no Description field"
if command -v dpkg >/dev/null 2>&1; then
  libraries="$(for binary in "$root/usr/bin/hemwright" "$root/usr/bin/hemwright-step"; do
    readelf -d "$binary" | sed -n 's/.*NEEDED.*\[\(.*\)\]/\1/p'
  done | sort -u | grep -v -e '^libasan\.so' -e '^libubsan\.so')"  # sanitizer runtimes: test builds only
  # One dpkg query for all libraries (each query reads the whole database).
  # dpkg knows a library under the directory its package ships it in, before
  # or after resolving the /lib -> /usr/lib link, so both forms are asked.
  paths=()
  for library in $libraries; do
    # Where the loader finds it for these binaries (ldd reads to the end, so
    # nothing in the pipe dies of SIGPIPE).
    path="$(ldd "$root/usr/bin/hemwright" "$root/usr/bin/hemwright-step" |
      awk -v l="$library" '$1 == l && $2 == "=>" && !found { print $3; found = 1 }')"
    [ -n "$path" ] && [ -e "$path" ] || fail "a packaged binary needs $library, which is not installed here"
    paths+=("$path" "$(readlink -f "$(dirname "$path")")/$library")
  done
  owners="$(dpkg -S "${paths[@]}" 2>/dev/null || true)"
  for library in $libraries; do
    package="$(printf '%s\n' "$owners" | awk -v l="/$library" '
      { path = $NF; if (substr(path, length(path) - length(l) + 1) == l && !found) { split($1, p, ":"); print p[1]; found = 1 } }')"
    [ -n "$package" ] || fail "no installed package owns $library"
    case ", $depends," in
      *", $package "*|*", $package,"*) ;;
      *) fail "a packaged binary needs $library from $package, which Depends ($depends) does not name" ;;
    esac
  done
fi

expected_start=$'# Monthly report, stamped by the pipeline\n'
expected_end=$'\n# end of report\n'

# hemwright as the host starts it.
work="$scratch/host"
cp -R "$source/examples/basic" "$work"
original="$(cat "$work/files/report.txt"; echo x)"
set +e
(cd "$work" && "$root/usr/bin/hemwright")
code=$?
set -e
[ "$code" -eq 0 ] || fail "hemwright exited with $code"
expected="${expected_start}${original%x}${expected_end}"
[ "$(cat "$work/files/report.txt"; echo x)" = "${expected}x" ] || fail "report.txt was not rewritten as expected"
[ -f "$work/output.xml" ] || fail "output.xml was not written"

# hemwright-step, which must find the unpacked hemwright beside itself.
work="$scratch/step"
cp -R "$source/examples/basic" "$work"
set +e
PATH=/usr/bin:/bin "$root/usr/bin/hemwright-step" --prepend 'HEAD:' "$work/files/report.txt" >"$scratch/step.log" 2>&1
code=$?
set -e
[ "$code" -eq 0 ] || { cat "$scratch/step.log"; fail "hemwright-step exited with $code"; }
[ "$(cat "$work/files/report.txt"; echo x)" = "HEAD:${original}" ] || fail "hemwright-step did not rewrite report.txt"
grep -q '^exit code: 0 (success)$' "$scratch/step.log" || fail "no success line in: $(cat "$scratch/step.log")"

echo "package $(basename "$deb") installs and runs"
