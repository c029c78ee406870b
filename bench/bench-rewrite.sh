#!/usr/bin/env bash
# Measures how fast files are rewritten with a prefix and a suffix, side by
# side with the shell pipeline that does the same job:
#   { printf %s "$prefix"; cat FILE; printf %s "$suffix"; } > TMP && mv TMP FILE
# For 1 MiB, 100 MiB and 1 GiB it prints wall time, CPU time (user + system)
# and peak RSS of both, and our figures as ratios of the pipeline's, each the
# median of several alternating rounds after a warm-up; then the time for
# 10,000 files of 1 KiB rewritten in one run.
#
# Environment: BENCH_WORK_DIR (where the test files go; default $TMPDIR or
# /tmp, needs about 2.2 GiB free), BENCH_BUILD_DIR (default build-bench),
# BENCH_ROUNDS (default 3), BENCH_SMALL_PIPELINE=1 (also time the pipeline on
# the 10,000 small files, one cat and one mv each: slow).
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BENCH_BUILD_DIR:-$root/build-bench}"
rounds="${BENCH_ROUNDS:-3}"
prefix='<?xml version="1.0"?><!-- rewritten -->'
suffix='<!-- end -->'

if ! command -v /usr/bin/time >/dev/null 2>&1; then
  echo "bench-rewrite.sh: /usr/bin/time (GNU time, Debian package 'time') is missing; install it first." >&2
  exit 1
fi

echo "== building the driver (Release) in $build =="
cmake -S "$root/bench" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target rewrite_files -j2 >/dev/null
driver="$build/rewrite_files"

work="$(mktemp -d "${BENCH_WORK_DIR:-${TMPDIR:-/tmp}}/hemwright-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT

# Runs a command under GNU time; prints "wall cpu rss" (seconds, seconds, KiB).
measure() {
  /usr/bin/time -f "%e %U %S %M" -o "$work/time.out" "$@"
  awk '{ printf "%.3f %.3f %d\n", $1, $2 + $3, $4 }' "$work/time.out"
}

pipeline() {
  measure bash -c '{ printf %s "$1"; cat "$3"; printf %s "$2"; } > "$3.tmp" && mv "$3.tmp" "$3"' \
    _ "$prefix" "$suffix" "$1"
}

ours() {
  measure "$driver" --prefix "$prefix" --suffix "$suffix" "$@"
}

# Median of each column of the lines on standard input.
medians() {
  awk '{ for (i = 1; i <= NF; ++i) v[i, NR] = $i; n = NR; m = NF }
       END {
         for (i = 1; i <= m; ++i) {
           for (a = 1; a <= n; ++a) col[a] = v[i, a]
           for (a = 1; a <= n; ++a) for (b = a + 1; b <= n; ++b) if (col[b] < col[a]) { t = col[a]; col[a] = col[b]; col[b] = t }
           printf "%s%s", col[int((n + 1) / 2)], (i < m ? " " : "\n")
         }
       }'
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else printf "n/a" }'; }

printf '\n%-8s | %-27s | %-27s | %s\n' "size" "pipeline wall/cpu/rss" "hemwright wall/cpu/rss" "ratio wall cpu rss"
for size in "1MiB 1" "100MiB 100" "1GiB 1024"; do
  read -r label mebibytes <<<"$size"
  file="$work/input-$label.bin"
  head -c "$((mebibytes * 1024 * 1024))" /dev/urandom >"$file"
  sync
  # Warm-up: both read a cached file from here on.
  pipeline "$file" >/dev/null
  ours "$file" >/dev/null
  : >"$work/pipeline.txt"
  : >"$work/ours.txt"
  for ((round = 0; round < rounds; ++round)); do
    sync
    pipeline "$file" >>"$work/pipeline.txt"
    sync
    ours "$file" >>"$work/ours.txt"
  done
  read -r pw pc pr < <(medians <"$work/pipeline.txt")
  read -r ow oc orss < <(medians <"$work/ours.txt")
  printf '%-8s | %7ss %7ss %7sKiB | %7ss %7ss %7sKiB | %5s %5s %5s\n' "$label" \
    "$pw" "$pc" "$pr" "$ow" "$oc" "$orss" "$(ratio "$ow" "$pw")" "$(ratio "$oc" "$pc")" "$(ratio "$orss" "$pr")"
  rm -f "$file" "$file.tmp"
  sync
done

echo
echo "== 10,000 files of 1 KiB in one run =="
small="$work/small"
mkdir "$small"
head -c "$((10000 * 1024))" /dev/urandom | split -b 1024 -a 5 -d - "$small/f"
sync
read -r sw sc sr < <(ours "$small"/f*)
count="$(find "$small" -type f | wc -l)"
per_file="$(awk -v w="$sw" 'BEGIN { printf "%.1f", w * 1e6 / 10000 }')"
echo "hemwright: ${sw}s wall, ${sc}s cpu, ${sr}KiB peak RSS; ${per_file} µs per file; $count files afterwards"
if [ "${BENCH_SMALL_PIPELINE:-0}" = 1 ]; then
  # Two processes per file: slow, and only a point of reference.
  read -r qw qc qr < <(measure bash -c 'p=$1; s=$2; shift 2
    for f; do { printf %s "$p"; cat "$f"; printf %s "$s"; } > "$f.tmp" && mv "$f.tmp" "$f"; done' \
    _ "$prefix" "$suffix" "$small"/f*)
  echo "pipeline:  ${qw}s wall, ${qc}s cpu, ${qr}KiB peak RSS (one cat and one mv per file)"
fi
leftovers="$(find "$small" -name '*-tmp-*' | wc -l)"
if [ "$leftovers" -ne 0 ] || [ "$count" -ne 10000 ]; then
  echo "bench-rewrite.sh: $leftovers temporary files left, $count files present" >&2
  exit 1
fi
rm -rf "$small"
