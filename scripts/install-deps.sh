#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, and only
# those that are missing, so that a machine that has them all is not touched.
# clang and its runtime serve the fuzz targets; GNU time serves the benchmark;
# xfsprogs serves the power-cut test on a loop-mounted XFS;
# scdoc makes the manual pages; dpkg-dev (dpkg-shlibdeps) and lintian serve
# the Debian package and its test.
set -euo pipefail

packages=(
  cmake g++ make
  libxerces-c-dev libxalan-c-dev
  libboost-dev libboost-filesystem-dev libboost-system-dev libboost-thread-dev
  libboost-random-dev libboost-date-time-dev libboost-program-options-dev
  libgtest-dev
  scdoc gzip dpkg-dev lintian man-db
  clang libclang-rt-14-dev
  time
  xfsprogs
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

echo "Installing missing packages: ${missing[*]}"
"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
