#!/usr/bin/env bash
# Builds hemwright for 64-bit Windows on Debian 12 with MinGW-w64, runs the
# Windows tests under Wine and packs hemwright-<version>-windows-x64.zip.
#
# Phases:
#   packages      installs what is missing from Debian (cross compiler, Wine,
#                 zip, CMake, the host's Xerces-C for Xalan-C's generator,
#                 GoogleTest's source, header-only Boost)
#   archives      checks the Xerces-C and Xalan-C source archives
#   libraries     builds Xerces-C, Xalan-C and GoogleTest for Windows (static,
#                 Release) into a cache outside the work tree, unless the
#                 cache already holds them
#   wine          prepares a Wine prefix of its own and the runner that CMake
#                 uses to start Windows programs
#   build, tests, package
#                 builds build-windows/bin/hemwright.exe and the tests, runs
#                 the tests under Wine, packs the zip into build-windows/
#                 with SHA256SUMS and the exe's debug sections beside it,
#                 and checks the zip: its files, an exe without debug
#                 sections and with a version resource, try-example.cmd
#                 run under Wine
#
# Environment:
#   HEMWRIGHT_DEPS_DIR          folder of the source archives and SHA256SUMS
#                               (default: ../shared/deps from the repository)
#   HEMWRIGHT_WINDOWS_CACHE     cache folder (default:
#                               ${XDG_CACHE_HOME:-~/.cache}/hemwright/windows-deps)
#   HEMWRIGHT_WINDOWS_DEPS_ONLY=1, or --deps-only
#                               stop after the wine phase
set -euo pipefail
cd "$(dirname "$0")/.."
repo="$PWD"

usage() {
  sed -n '2,/^set -euo/p' "$0" | sed -e '$d' -e 's/^# \{0,1\}//'
}

deps_only="${HEMWRIGHT_WINDOWS_DEPS_ONLY:-0}"
for arg in "$@"; do
  case "$arg" in
    --deps-only) deps_only=1 ;;
    -h|--help) usage; exit 0 ;;
    *) echo "build-windows.sh: unknown argument '$arg' (try --help)" >&2; exit 64 ;;
  esac
done

# Bump when the way the libraries are built changes, so that caches made by
# an older recipe are not used.
recipe_version=2

xerces_archive=xerces-c-3.2.4.tar.gz
xalan_archive=xalan-c-1.12.0.tar.gz
target=x86_64-w64-mingw32
cross_cxx="$target-g++-posix"
toolchain="$repo/cmake/mingw-w64-x86_64.cmake"
jobs="$(nproc 2>/dev/null || echo 2)"
build_dir="$repo/build-windows"

# Seconds since the epoch with a tenth, for the phases' times.
now() { printf '%s' "${EPOCHREALTIME:0:-5}"; }
elapsed_since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f s", b - a }'; }
script_start="$(now)"
phase_name=""
phase_start=0
begin_phase() {
  phase_name="$1"
  phase_start="$(now)"
  echo "== $phase_name =="
}
end_phase() {
  echo "== $phase_name: $(elapsed_since "$phase_start") =="
}

fail() {
  echo "build-windows.sh: $*" >&2
  exit 1
}

# Runs a command with its output in a log file; shows the log's end when it
# fails, so that a long build stays readable.
run_logged() {
  local log="$1"
  shift
  if ! "$@" >"$log" 2>&1; then
    echo "Command failed: $*" >&2
    echo "Last lines of $log:" >&2
    tail -n 40 "$log" >&2
    exit 1
  fi
}

# --- packages ---------------------------------------------------------------
begin_phase "packages"
# wine64 alone (no 32-bit Wine, no recommended desktop packages) runs 64-bit
# console programs without a display. g++ and libxerces-c-dev build Xalan-C's
# message generator for this machine; googletest is GoogleTest's source;
# libboost-dev is header-only Boost, which the Windows build uses from here.
packages=(
  g++-mingw-w64-x86-64-posix
  wine64
  zip unzip cmake make g++
  libxerces-c-dev
  googletest
  libboost-dev
)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ "${#missing[@]}" -gt 0 ]; then
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
  fi
  echo "Installing missing packages: ${missing[*]}"
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
wine_bin=/usr/lib/wine/wine64
wineserver_bin=/usr/lib/wine/wineserver64
[ -x "$wine_bin" ] || fail "$wine_bin is missing although wine64 is installed"
[ -x "$wineserver_bin" ] || fail "$wineserver_bin is missing although wine64 is installed"
end_phase

# --- archives ---------------------------------------------------------------
begin_phase "archives"
deps_dir="${HEMWRIGHT_DEPS_DIR:-$repo/../shared/deps}"
if [ ! -f "$deps_dir/$xerces_archive" ] || [ ! -f "$deps_dir/$xalan_archive" ] \
    || [ ! -f "$deps_dir/SHA256SUMS" ]; then
  cat >&2 <<EOF
build-windows.sh: the source archives of the XML libraries are missing from
  $deps_dir
Debian packages serve only Linux builds of them, so the Windows build compiles
them from their release tags. Make the archives from the public repositories:

  github.com/apache/xerces-c, tag v3.2.4:
    git archive --prefix=xerces-c-3.2.4/ -o $xerces_archive v3.2.4
  github.com/apache/xalan-c, tag Xalan-C_1_12_0:
    git archive --prefix=xalan-c-1.12.0/ -o $xalan_archive Xalan-C_1_12_0

and put both, with a SHA256SUMS file listing their checksums, into that
folder, or point HEMWRIGHT_DEPS_DIR at the folder that holds them.
EOF
  exit 1
fi
deps_dir="$(cd "$deps_dir" && pwd)"
# Only the two archives' lines are checked (and only they key the cache), so
# that other files listed beside them do not matter here.
sums="$(grep -E "  ($xerces_archive|$xalan_archive)\$" "$deps_dir/SHA256SUMS" | sort -k2)" || true
[ "$(printf '%s\n' "$sums" | grep -c .)" -eq 2 ] \
  || fail "$deps_dir/SHA256SUMS does not list both $xerces_archive and $xalan_archive"
(cd "$deps_dir" && printf '%s\n' "$sums" | sha256sum --strict -c -) \
  || fail "the archives in $deps_dir do not match their checksums"
end_phase

# --- libraries --------------------------------------------------------------
begin_phase "libraries"
cache_root="${HEMWRIGHT_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/hemwright/windows-deps}"
mkdir -p "$cache_root"
cache_root="$(cd "$cache_root" && pwd)"

# Everything the built libraries depend on: the sources, the compiler (its
# --version names only the major version, so its package's version too), the
# MinGW-w64 runtime they are compiled against, GoogleTest's source and this
# recipe.
key_inputs="recipe $recipe_version
$sums
compiler $("$cross_cxx" --version | head -n 1)
g++-mingw-w64-x86-64-posix $(dpkg-query -W -f='${Version}' g++-mingw-w64-x86-64-posix)
mingw-w64-x86-64-dev $(dpkg-query -W -f='${Version}' mingw-w64-x86-64-dev)
googletest $(dpkg-query -W -f='${Version}' googletest)"
key="$(printf '%s\n' "$key_inputs" | sha256sum | cut -c1-16)"
deps_prefix="$cache_root/$key"

# One build at a time per cache; a scratch folder left by an interrupted
# build is removed here, and only a complete build is renamed into place.
exec 9>"$cache_root/.lock"
flock 9
rm -rf "$cache_root"/.building-*

if [ -f "$deps_prefix/KEY" ]; then
  echo "Using the cached libraries in $deps_prefix"
else
  echo "Building the libraries into $deps_prefix (key inputs below)"
  printf '%s\n' "$key_inputs" | sed 's/^/  /'
  scratch="$cache_root/.building-$key"
  trap 'rm -rf "$scratch"' EXIT
  mkdir -p "$scratch/work"
  prefix="$scratch/prefix"
  work="$scratch/work"
  logs="$work/logs"
  mkdir -p "$prefix/include" "$logs"
  tar -xzf "$deps_dir/$xerces_archive" -C "$work"
  tar -xzf "$deps_dir/$xalan_archive" -C "$work"
  xerces_src="$work/xerces-c-3.2.4"
  xalan_src="$work/xalan-c-1.12.0"

  # Optimised without debug information: the libraries are not debugged
  # here, and both halve the build time and the cache's size.
  cross_config=(
    -DCMAKE_TOOLCHAIN_FILE="$toolchain"
    -DHEMWRIGHT_WINDOWS_DEPS="$prefix"
    -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG"
    -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG"
    -DCMAKE_INSTALL_PREFIX="$prefix"
    -DBUILD_SHARED_LIBS=OFF
  )

  # The libraries' install rules also cover their sample and test programs,
  # which are not built (some do not build with MinGW); so the headers and
  # package files are installed by component and the archives copied.
  echo "-- Xerces-C (Windows, static)"
  run_logged "$logs/xerces-configure.log" cmake -S "$xerces_src" -B "$work/xerces-build" \
    "${cross_config[@]}" -Dnetwork=OFF -Dtranscoder=windows -Dmessage-loader=inmemory
  run_logged "$logs/xerces-build.log" cmake --build "$work/xerces-build" -j "$jobs" --target xerces-c
  run_logged "$logs/xerces-install.log" cmake --install "$work/xerces-build" --component development
  run_logged "$logs/xerces-install-config.log" cmake --install "$work/xerces-build" --component Unspecified
  install -D -m 644 "$work/xerces-build/src/libxerces-c.a" "$prefix/lib/libxerces-c.a"

  # Xalan-C generates its message tables with MsgCreator while it builds; a
  # Windows MsgCreator cannot run here, so it is built for this machine
  # against Debian's Xerces-C, and the cross build's generator step is
  # pointed at it (the step then writes the two headers where the build
  # wants them).
  echo "-- Xalan-C message generator (this machine)"
  run_logged "$logs/msgcreator-configure.log" cmake -S "$xalan_src" -B "$work/msgcreator-build" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG"
  run_logged "$logs/msgcreator-build.log" cmake --build "$work/msgcreator-build" -j "$jobs" --target MsgCreator
  msgcreator="$work/msgcreator-build/src/xalanc/Utils/MsgCreator/MsgCreator"
  [ -x "$msgcreator" ] || fail "MsgCreator was not built at $msgcreator"
  utils_cmake="$xalan_src/src/xalanc/Utils/CMakeLists.txt"
  sed -i -e 's|"\$<TARGET_FILE:MsgCreator>"|"${HEMWRIGHT_HOST_MSGCREATOR}"|' \
         -e 's|DEPENDS MsgCreator |DEPENDS "${HEMWRIGHT_HOST_MSGCREATOR}" |' "$utils_cmake"
  if grep -q 'TARGET_FILE:MsgCreator\|DEPENDS MsgCreator ' "$utils_cmake"; then
    fail "could not point Xalan-C's generator step at the native MsgCreator ($utils_cmake)"
  fi

  echo "-- Xalan-C (Windows, static)"
  run_logged "$logs/xalan-configure.log" cmake -S "$xalan_src" -B "$work/xalan-build" \
    "${cross_config[@]}" -DHEMWRIGHT_HOST_MSGCREATOR="$msgcreator" \
    -Dmessage-loader=inmemory -Dtranscoder=default
  run_logged "$logs/xalan-build.log" cmake --build "$work/xalan-build" -j "$jobs" --target xalan-c xalanMsg
  run_logged "$logs/xalan-install.log" cmake --install "$work/xalan-build" --component development
  run_logged "$logs/xalan-install-config.log" cmake --install "$work/xalan-build" --component Unspecified
  install -D -m 644 "$work/xalan-build/src/xalanc/libxalan-c.a" "$prefix/lib/libxalan-c.a"
  install -D -m 644 "$work/xalan-build/src/xalanc/Utils/XalanMsgLib/libxalanMsg.a" "$prefix/lib/libxalanMsg.a"

  echo "-- GoogleTest (Windows, static)"
  run_logged "$logs/googletest-configure.log" cmake -S /usr/src/googletest -B "$work/googletest-build" \
    "${cross_config[@]}" -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON
  run_logged "$logs/googletest-build.log" cmake --build "$work/googletest-build" -j "$jobs"
  run_logged "$logs/googletest-install.log" cmake --install "$work/googletest-build"

  # The libraries' package files name Threads::Threads (and Xalan-C's names
  # XercesC::XercesC) without looking for them, and define their targets
  # unguarded; made to find what they name and to bear being found twice, as
  # CMake's own FindXercesC and FindXalanC do.
  for lib in XercesC XalanC; do
    config="$prefix/cmake/${lib}Config.cmake"
    [ -f "$config" ] || fail "$config was not installed"
    dependencies=$'include(CMakeFindDependencyMacro)\nfind_dependency(Threads)\n'
    if [ "$lib" = XalanC ]; then
      dependencies+=$'if(NOT TARGET XercesC::XercesC)\n  find_dependency(XercesC)\nendif()\n'
    fi
    LIB="$lib" DEPENDENCIES="$dependencies" perl -0pi -e '
      my $lib = $ENV{LIB};
      s{^(include\(\$\{CMAKE_CURRENT_LIST_DIR\}/${lib}ConfigInternal\.cmake\))}{$ENV{DEPENDENCIES}$1}m
        or die "no include of ${lib}ConfigInternal.cmake\n";
      s{^(add_library\(${lib}::${lib} INTERFACE IMPORTED\)\n.*\n)}{if(NOT TARGET ${lib}::${lib})\n$1endif()\n}m
        or die "no add_library(${lib}::${lib})\n";
    ' "$config" || fail "could not complete $config"
  done

  # The Windows build uses Debian's header-only Boost; a link of its own
  # folder keeps the build machine's other headers out of the compiler's
  # search path.
  ln -s /usr/include/boost "$prefix/include/boost"

  # A package that ships a program linked with the libraries carries these.
  for src in "$xerces_src" "$xalan_src"; do
    lib="$(basename "$src" | sed 's/-[0-9.]*$//')"
    install -D -m 644 "$src/LICENSE" "$prefix/share/licenses/$lib/LICENSE"
    install -D -m 644 "$src/NOTICE" "$prefix/share/licenses/$lib/NOTICE"
  done

  printf '%s\n' "$key_inputs" >"$prefix/KEY"
  mv -T "$prefix" "$deps_prefix"
  rm -rf "$scratch"
  trap - EXIT
fi
flock -u 9
echo "Libraries: $deps_prefix"
end_phase

# --- wine -------------------------------------------------------------------
begin_phase "wine"
wine_dir="$cache_root/wine"
wine_prefix="$wine_dir/prefix"
wine_runner="$wine_dir/wine-run"
mkdir -p "$wine_dir"
# The runner fixes the prefix and keeps Wine quiet and away from any display,
# so that tests started by CTest see only the program's own output.
cat >"$wine_runner.new" <<EOF
#!/bin/sh
# Runs a Windows program under Wine in the prefix that build-windows.sh made.
export WINEPREFIX='$wine_prefix'
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES='mscoree,mshtml='
unset DISPLAY WAYLAND_DISPLAY
# The Wine server and the background processes of a new Wine session
# (services.exe and those it starts), when started by the program itself,
# would inherit its standard output and error, and a reader of them (CTest)
# would wait until they exit, seconds after the program. So a new session is
# started here, detached; the server exits at once when one is running.
if '$wineserver_bin' -p5 </dev/null >/dev/null 2>&1; then
  '$wine_bin' cmd /c exit </dev/null >/dev/null 2>&1 || true
fi
exec '$wine_bin' "\$@"
EOF
chmod 755 "$wine_runner.new"
mv -f "$wine_runner.new" "$wine_runner"
exec 9>"$wine_dir/.lock"
flock 9
if [ ! -f "$wine_prefix/.hemwright-ready" ]; then
  echo "Creating the Wine prefix $wine_prefix"
  rm -rf "$wine_prefix"
  run_logged "$wine_dir/wineboot.log" "$wine_runner" wineboot --init
  WINEPREFIX="$wine_prefix" "$wineserver_bin" -w
  # No graphics driver: console programs only, and no attempt to reach a
  # display.
  run_logged "$wine_dir/wine-reg.log" "$wine_runner" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f
  WINEPREFIX="$wine_prefix" "$wineserver_bin" -w
  touch "$wine_prefix/.hemwright-ready"
fi
flock -u 9
echo "Wine runner: $wine_runner"
end_phase

if [ "$deps_only" = 1 ]; then
  echo "Stopping after the dependencies (HEMWRIGHT_WINDOWS_DEPS_ONLY=1 or --deps-only)."
  echo "Configure a Windows build with:"
  echo "  cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \\"
  echo "    -DHEMWRIGHT_WINDOWS_DEPS='$deps_prefix' -DHEMWRIGHT_WINE_RUNNER='$wine_runner'"
  echo "== all phases: $(elapsed_since "$script_start") =="
  exit 0
fi

# --- build ------------------------------------------------------------------
begin_phase "build"
cmake -S "$repo" -B "$build_dir" \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DHEMWRIGHT_WINDOWS_DEPS="$deps_prefix" \
  -DHEMWRIGHT_WINE_RUNNER="$wine_runner" \
  -DCMAKE_BUILD_TYPE=Release \
  -DHEMWRIGHT_BUILD_TESTS=ON \
  -DHEMWRIGHT_WERROR=ON \
  -DHEMWRIGHT_MAN_PAGES=OFF >/dev/null
cmake --build "$build_dir" -j "$jobs"
exe="$build_dir/bin/hemwright.exe"
[ -f "$exe" ] || fail "$exe was not built"
# The exe must run from a folder of its own: only system DLLs may be imported.
imports="$("$target-objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')"
foreign="$(printf '%s\n' "$imports" | grep -i -E '^(lib|xerces|xalan)' || true)"
[ -z "$foreign" ] || fail "hemwright.exe needs DLLs that Windows does not have: $foreign"
end_phase

# --- tests ------------------------------------------------------------------
begin_phase "tests"
# Wine now and then fails to start a program at all (no output, within a
# hundredth of a second) while its server restarts between two tests; a test
# that fails is therefore run once more. A test that fails for a reason of its
# own fails twice.
ctest --test-dir "$build_dir" --output-on-failure -j "$jobs" --repeat until-pass:2
end_phase

# --- package ----------------------------------------------------------------
begin_phase "package"
version="$(sed -n 's/^project(hemwright VERSION \([0-9.]*\).*/\1/p' "$repo/CMakeLists.txt")"
[ -n "$version" ] || fail "no project version found in CMakeLists.txt"
name="hemwright-$version-windows-x64"
stage="$build_dir/package/$name"
zip_file="$build_dir/$name.zip"
debug_file="$build_dir/$name.exe.debug"
sums_file="$build_dir/SHA256SUMS"
rm -rf "$build_dir/package" "$zip_file" "$debug_file" "$sums_file"
mkdir -p "$stage"
# The exe ships without its debug sections and symbols; they are kept beside
# the zip for crash analysis, and the exe names that file (a debugger finds
# it beside the exe).
"$target-objcopy" --only-keep-debug "$exe" "$debug_file"
"$target-objcopy" --strip-all --add-gnu-debuglink="$debug_file" "$exe" "$stage/hemwright.exe"
cp "$repo/packaging/windows/try-example.cmd" "$stage/try-example.cmd.lf"
# Text files get CR LF line ends, as Windows tools (and cmd) expect; the
# example keeps its bytes, so that it gives what it gives on Linux.
to_crlf() { sed 's/\r\{0,1\}$/\r/' "$1" >"$2"; }
to_crlf "$stage/try-example.cmd.lf" "$stage/try-example.cmd"
rm "$stage/try-example.cmd.lf"
to_crlf "$repo/packaging/windows/README.txt" "$stage/README.txt"
to_crlf "$repo/LICENSE" "$stage/LICENSE.txt"
for lib in xerces-c xalan-c; do
  to_crlf "$deps_prefix/share/licenses/$lib/LICENSE" "$stage/$lib-LICENSE.txt"
  to_crlf "$deps_prefix/share/licenses/$lib/NOTICE" "$stage/$lib-NOTICE.txt"
done
mkdir -p "$stage/examples"
cp -R "$repo/examples/basic" "$stage/examples/basic"
(cd "$build_dir/package" && zip -q -X -r "$zip_file" "$name")
(cd "$build_dir" && sha256sum "$name.zip" "$name.exe.debug" >"$sums_file")

# What an administrator unpacks: exactly these files.
expected_files="$(printf '%s\n' hemwright.exe README.txt LICENSE.txt try-example.cmd \
  xerces-c-LICENSE.txt xerces-c-NOTICE.txt xalan-c-LICENSE.txt xalan-c-NOTICE.txt \
  examples/basic/input.xml examples/basic/files/report.txt | sed "s|^|$name/|" | sort)"
zip_files="$(unzip -Z1 "$zip_file" | grep -v '/$' | sort)"
[ "$zip_files" = "$expected_files" ] || fail "the zip holds
$zip_files
instead of
$expected_files"
(cd "$build_dir" && sha256sum --quiet --strict -c SHA256SUMS) || fail "SHA256SUMS does not match the zip"

# The packed exe: no debug section, the link to its debug file, and a
# version resource naming the product, the version, a description and the
# copyright; the debug file holds the sections the exe had.
section_names() { "$target-objdump" -h "$1" | awk '$1 ~ /^[0-9]+$/ { print $2 }'; }
packed_sections="$(section_names "$stage/hemwright.exe")"
debug_sections="$(grep -E '^\.z?debug' <<<"$packed_sections" || true)"
[ -z "$debug_sections" ] || fail "the packed hemwright.exe still carries debug sections:" $debug_sections
grep -qx '.gnu_debuglink' <<<"$packed_sections" || fail "the packed hemwright.exe does not name its debug file"
grep -qx '.rsrc' <<<"$packed_sections" || fail "the packed hemwright.exe has no resource section"
if grep -qE '^\.z?debug' <<<"$(section_names "$exe")"; then
  grep -qE '^\.z?debug' <<<"$(section_names "$debug_file")" || fail "$debug_file holds no debug section"
fi
# The resource's keys and values are UTF-16 strings, each value right after
# its key.
resource_strings="$("$target-strings" -el "$stage/hemwright.exe")"
for pair in "ProductName=hemwright" "ProductVersion=$version" "FileVersion=$version" \
    "FileDescription=hemwright: pipeline-step plugin that adds a prefix and a suffix to files" \
    "LegalCopyright=Copyright 2026 the hemwright developers. Licensed under the Apache License, Version 2.0."; do
  [ "$(grep -xF -m1 -A1 "${pair%%=*}" <<<"$resource_strings" | sed -n 2p)" = "${pair#*=}" ] \
    || fail "the version resource of hemwright.exe lacks ${pair%%=*} '${pair#*=}'; it holds:
$resource_strings"
done

# try-example.cmd, as an administrator runs it from the unpacked zip: it
# must stamp the copy of the example and leave examples\basic as it is.
example_script="$("$wine_runner" winepath -w "$stage/try-example.cmd" | tr -d '\r')"
set +e
example_output="$("$wine_runner" cmd /c "$example_script" 2>&1 | tr -d '\r')"
example_code=$?
set -e
printf '%s\n' "$example_output"
[ "$example_code" -eq 0 ] || fail "try-example.cmd ended with $example_code"
example_folder="$(sed -n 's/^== working folder (a copy of examples\\basic): //p' <<<"$example_output")"
[ -n "$example_folder" ] || fail "try-example.cmd did not say where its copy is"
example_folder="$("$wine_runner" winepath -u "$example_folder" | tr -d '\r')"
expected_report="$(printf '# Monthly report, stamped by the pipeline\n'; cat "$repo/examples/basic/files/report.txt"; printf '\n# end of report\nx')"
[ "$(cat "$example_folder/files/report.txt"; printf x)" = "$expected_report" ] \
  || fail "try-example.cmd did not stamp $example_folder/files/report.txt as expected"
[ -f "$example_folder/output.xml" ] || fail "try-example.cmd left no output.xml in $example_folder"
cmp -s "$repo/examples/basic/files/report.txt" "$stage/examples/basic/files/report.txt" \
  || fail "try-example.cmd changed the example in the unpacked folder"
rm -rf "$example_folder"

(cd "$build_dir/package" && find "$name" -type f | sort)
ls -l "$zip_file" "$debug_file" "$sums_file"
end_phase

echo "== all phases: $(elapsed_since "$script_start") =="
echo "Package: $zip_file (checksums in $sums_file, debug sections in $debug_file)"
