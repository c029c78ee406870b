#!/usr/bin/env bash
# Builds the Debian package from a build tree and checks it as a packager
# and an operator would: the file list, the manual pages, the copyright and
# changelog files, Depends against what the binaries load, lintian (when
# installed: any error or warning fails), and both programs run from the
# package unpacked into a scratch root (never into the live system).
# The first example of hemwright-step(1) is run as the page prints it.
# Exit 77 means skipped.
# Usage: test-package.sh BUILD_DIR SOURCE_DIR [man-pages|no-man-pages]
# (the second when the build was configured with -DHEMWRIGHT_MAN_PAGES=OFF)
set -euo pipefail
build="$1"
source="$2"
man_pages="${3:-man-pages}"

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

# The install rules put the built files, stripped, into a staging root, and
# cpack packages that root with the project's own package settings. (A plain cpack
# would first build every target of the tree, tests included.)
cmake --install "$build" --prefix "$scratch/stage/usr" --strip >"$scratch/install.log" 2>&1 \
  || { cat "$scratch/install.log"; fail "cmake --install failed"; }
cpack --config "$build/CPackConfig.cmake" -B "$scratch/out" \
  -D CPACK_INSTALL_CMAKE_PROJECTS= -D "CPACK_INSTALLED_DIRECTORIES=$scratch/stage;." >"$scratch/cpack.log" 2>&1 \
  || { cat "$scratch/cpack.log"; fail "cpack failed"; }
debs=("$scratch"/out/*.deb)
[ "${#debs[@]}" -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb in $scratch/out"
deb="${debs[0]}"
version="$(dpkg-deb -f "$deb" Version)"

# The file list: exactly these files, owned by root, with these modes.
expected_files="-rw-r--r-- ./usr/share/doc/hemwright/README.md.gz
-rw-r--r-- ./usr/share/doc/hemwright/changelog.Debian.gz
-rw-r--r-- ./usr/share/doc/hemwright/copyright
-rw-r--r-- ./usr/share/lintian/overrides/hemwright
-rwxr-xr-x ./usr/bin/hemwright-step
-rwxr-xr-x ./usr/lib/hemwright/hemwright"
if [ "$man_pages" = man-pages ]; then
  expected_files="$expected_files
-rw-r--r-- ./usr/share/man/man1/hemwright-step.1.gz
-rw-r--r-- ./usr/share/man/man1/hemwright.1.gz"
fi
listing="$(dpkg-deb -c "$deb")"
files="$(printf '%s\n' "$listing" | awk '$1 !~ /^d/ { print $1, $6 }' | sort)"
[ "$files" = "$(printf '%s\n' "$expected_files" | sort)" ] || fail "the package holds
$files
instead of
$expected_files"
printf '%s\n' "$listing" | awk '$2 != "root/root" { exit 1 }' || fail "a file not owned by root/root: $listing"

root="$scratch/root"
dpkg-deb -x "$deb" "$root"
doc="$root/usr/share/doc/hemwright"
man1="$root/usr/share/man/man1"

# The documents: the README as in the source, a machine-readable copyright
# file that licenses every file under the Apache License 2.0 and points at
# the licence's text as Debian installs it (which must be the project's
# LICENSE), a changelog for this very version.
[ "$(gzip -dc "$doc/README.md.gz")" = "$(cat "$source/README.md")" ] || fail "README.md.gz is not the README"
[ "$(head -1 "$doc/copyright")" = 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ] \
  || fail "copyright is not in the machine-readable format"
licences="$(sed -n 's/^License: //p' "$doc/copyright" | sort -u)"
[ "$licences" = Apache-2.0 ] || fail "copyright names the licences '$licences', not only Apache-2.0"
[ "$(sed -n '/^Files: \*$/,/^$/s/^License: //p' "$doc/copyright")" = Apache-2.0 ] \
  || fail "copyright does not license Files: * under Apache-2.0"
common_licence=/usr/share/common-licenses/Apache-2.0
grep -qF "\"$common_licence\"" "$doc/copyright" || fail "copyright does not point at $common_licence"
if [ -f "$common_licence" ]; then
  cmp -s "$common_licence" "$source/LICENSE" || fail "LICENSE is not the text of $common_licence"
fi
changelog="$(gzip -dc "$doc/changelog.Debian.gz")"
changelog_head="${changelog%%$'\n'*}"
[ "$changelog_head" = "hemwright ($version) unstable; urgency=medium" ] \
  || fail "the changelog starts with '$changelog_head', not the package's version $version"
grep -qF -- " -- $(dpkg-deb -f "$deb" Maintainer)  " <<<"$changelog" \
  || fail "the changelog entry is not signed by the package's Maintainer"

# The manual pages render without a warning, and they, --help and docs/
# list the same options and exit codes. (Texts are searched as here-strings:
# grep -q stops reading early, which would fail a pipe under pipefail.)
step_help="$("$build/bin/hemwright-step" --help)"
# Every number of --help's exit code table (codes, ranges, signal numbers).
help_codes="$(sed -n '/^Exit codes:/,/^$/p' <<<"$step_help" | grep -oE '[0-9]+' | sort -un)"
for code in 64 65 66 69 70 73 74 129 130 131 138 140 142 143 152 154 155; do
  grep -qx "$code" <<<"$help_codes" || fail "--help does not list exit code $code"
done
# The step tool's exit codes are documented for developers in docs/.
step_doc_codes="$(grep '^|' "$source/docs/step-tool.md")"
for code in $help_codes; do
  grep -qE "(^|[^0-9])$code([^0-9]|$)" <<<"$step_doc_codes" \
    || fail "the tables of docs/step-tool.md do not list exit code $code of --help"
done
if [ "$man_pages" = man-pages ]; then
  for page in hemwright hemwright-step; do
    gzip -t "$man1/$page.1.gz" || fail "$page.1.gz is not gzip"
    if command -v man >/dev/null 2>&1; then
      warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$man1/$page.1.gz" 2>&1 >/dev/null)"
      [ -z "$warnings" ] || fail "man reports for $page(1): $warnings"
    fi
  done
  step_page="$(gzip -dc "$man1/hemwright-step.1.gz")"
  for option in $(printf '%s\n' "$step_help" | grep -oE -- '--[a-z-]+' | sort -u); do
    grep -qF -- "$option" <<<"$step_page" || fail "hemwright-step(1) does not describe $option"
  done
  if command -v man >/dev/null 2>&1; then
    rendered="$(LC_ALL=C.UTF-8 MANWIDTH=80 man -E UTF-8 -l "$man1/hemwright-step.1.gz" 2>/dev/null)"
    page_codes="$(sed -n '/^EXIT STATUS$/,/^[A-Z]/p' <<<"$rendered" | grep -oE '[0-9]+' | sort -un)"
    [ "$page_codes" = "$help_codes" ] || fail "hemwright-step(1) lists the exit codes
$page_codes
where --help lists
$help_codes"
  fi
  hemwright_page="$(gzip -dc "$man1/hemwright.1.gz")"
  for code in 1001 233 1002 234 1003 235 2001 209 2002 210 2003 211 3001 185 3002 186 3003 187 3004 188; do
    grep -qE "(^|[^0-9])$code([^0-9]|$)" <<<"$hemwright_page" || fail "hemwright(1) does not list exit code $code"
  done
elif [ -e "$build/man/hemwright.1.gz" ] || [ -e "$man1" ]; then
  fail "configured without manual pages, yet they were built or packaged"
fi

# Depends names exactly the packages of the libraries the binaries load.
depends="$(dpkg-deb -f "$deb" Depends)"
[ -n "$(dpkg-deb -f "$deb" Description)" ] || fail "no Description field"
if command -v dpkg >/dev/null 2>&1; then
  binaries=("$root/usr/lib/hemwright/hemwright" "$root/usr/bin/hemwright-step")
  libraries="$(for binary in "${binaries[@]}"; do
    readelf -d "$binary" | sed -n 's/.*NEEDED.*\[\(.*\)\]/\1/p'
  done | sort -u)"
  # One dpkg query for all libraries (each query reads the whole database).
  # dpkg knows a library under the directory its package ships it in, before
  # or after resolving the /lib -> /usr/lib link, so both forms are asked.
  paths=()
  for library in $libraries; do
    # Where the loader finds it for these binaries (ldd reads to the end, so
    # nothing in the pipe dies of SIGPIPE).
    path="$(ldd "${binaries[@]}" | awk -v l="$library" '$1 == l && $2 == "=>" && !found { print $3; found = 1 }')"
    [ -n "$path" ] && [ -e "$path" ] || fail "a packaged binary needs $library, which is not installed here"
    paths+=("$path" "$(readlink -f "$(dirname "$path")")/$library")
  done
  owners="$(dpkg -S "${paths[@]}" 2>/dev/null || true)"
  needed_packages=""
  for library in $libraries; do
    package="$(printf '%s\n' "$owners" | awk -v l="/$library" '
      { path = $NF; if (substr(path, length(path) - length(l) + 1) == l && !found) { split($1, p, ":"); print p[1]; found = 1 } }')"
    [ -n "$package" ] || fail "no installed package owns $library"
    needed_packages="$needed_packages $package"
    case ", $depends," in
      *", $package "*|*", $package,"*) ;;
      *) fail "a packaged binary needs $library from $package, which Depends ($depends) does not name" ;;
    esac
  done
  for package in $(printf '%s\n' "$depends" | tr ',' '\n' | sed 's/^ *//; s/ .*//'); do
    case " $needed_packages " in
      *" $package "*) ;;
      *) fail "Depends names $package, whose libraries no packaged binary loads" ;;
    esac
  done
fi

# lintian, when installed: the package must be free of errors and warnings;
# what does not apply is overridden in the package with its reason.
if command -v lintian >/dev/null 2>&1; then
  # A build without manual pages is asked for; lintian would warn of it.
  lintian_options=()
  [ "$man_pages" = man-pages ] || lintian_options=(--suppress-tags binary-without-manpage)
  if ! lintian --fail-on error,warning "${lintian_options[@]}" "$deb" >"$scratch/lintian.log" 2>&1; then
    cat "$scratch/lintian.log"
    fail "lintian reports errors or warnings"
  fi
  cat "$scratch/lintian.log"
else
  echo "NOTE: lintian is not installed; the package was not checked with it"
fi

expected_start=$'# Monthly report, stamped by the pipeline\n'
expected_end=$'\n# end of report\n'

# hemwright as the host starts it, from where the package puts it.
hemwright="$root/usr/lib/hemwright/hemwright"
[ "$("$hemwright" --version)" = "hemwright ${version%%-*}
Licensed under the Apache License, Version 2.0." ] || fail "hemwright --version does not say $version and its licence"
work="$scratch/host"
cp -R "$source/examples/basic" "$work"
original="$(cat "$work/files/report.txt"; echo x)"
set +e
(cd "$work" && "$hemwright")
code=$?
set -e
[ "$code" -eq 0 ] || fail "hemwright exited with $code"
expected="${expected_start}${original%x}${expected_end}"
[ "$(cat "$work/files/report.txt"; echo x)" = "${expected}x" ] || fail "report.txt was not rewritten as expected"
[ -f "$work/output.xml" ] || fail "output.xml was not written"

# hemwright-step, which must find the unpacked hemwright at its installed
# place relative to itself (nothing is beside it, and PATH has none).
work="$scratch/step"
cp -R "$source/examples/basic" "$work"
set +e
PATH=/usr/bin:/bin "$root/usr/bin/hemwright-step" --prepend 'HEAD:' "$work/files/report.txt" >"$scratch/step.log" 2>&1
code=$?
set -e
[ "$code" -eq 0 ] || { cat "$scratch/step.log"; fail "hemwright-step exited with $code"; }
[ "$(cat "$work/files/report.txt"; echo x)" = "HEAD:${original}" ] || fail "hemwright-step did not rewrite report.txt"
grep -q '^exit code: 0 (success)$' "$scratch/step.log" || fail "no success line in: $(cat "$scratch/step.log")"

# The first example of hemwright-step(1), run as the rendered page prints it
# (a command whose lines end in "\" goes on), in a folder that holds the
# file it names; what it prints must be what the page shows, with the
# page's home folder standing for this one.
if [ "$man_pages" = man-pages ] && command -v man >/dev/null 2>&1; then
  LC_ALL=C.UTF-8 MANWIDTH=80 man -E UTF-8 -l "$man1/hemwright-step.1.gz" 2>/dev/null \
    | sed -n '/^EXAMPLES$/,/^SEE ALSO$/p' \
    | awk -v commandFile="$scratch/example.sh" -v outputFile="$scratch/example.expected" '
        !started && /^ *\$ / { started = 1; match($0, /^ *\$ /); indent = RLENGTH - 2
                               print substr($0, RLENGTH + 1) > commandFile; continued = /\\$/; next }
        started && continued { print > commandFile; continued = /\\$/; next }
        started && /^ *$/ { exit }
        started { print substr($0, indent + 1) > outputFile }'
  [ -s "$scratch/example.sh" ] && [ -s "$scratch/example.expected" ] \
    || fail "no example with its output in hemwright-step(1)"
  grep -q 'notes/report.txt' "$scratch/example.sh" || fail "the first example of hemwright-step(1) reads, as printed,
$(cat "$scratch/example.sh")
which does not name notes/report.txt, the file this test provides"
  folder="$scratch/example"
  mkdir -p "$folder/notes"
  folder="$(cd "$folder" && pwd -P)"
  printf '%s\n' 'Quarterly figures..' >"$folder/notes/report.txt"  # 20 bytes, as the page shows
  set +e
  (cd "$folder" && PATH="$root/usr/bin:/usr/bin:/bin" bash "$scratch/example.sh") >"$scratch/example.out" 2>&1
  code=$?
  set -e
  [ "$code" -eq 0 ] || { cat "$scratch/example.out"; fail "the first example of hemwright-step(1) exited with $code"; }
  expected_output="$(cat "$scratch/example.expected")"
  [ "$(cat "$scratch/example.out")" = "${expected_output//\/home\/me/$folder}" ] \
    || fail "the first example of hemwright-step(1) printed
$(cat "$scratch/example.out")
where the page shows
$expected_output"
fi

echo "package $(basename "$deb") holds:"
printf '%s\n' "$listing"
echo "package $(basename "$deb") installs and runs"
