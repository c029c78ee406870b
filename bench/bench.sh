#!/usr/bin/env bash
# Benchmark of hemwright, the real executable run as the host runs it (cd into
# a working directory holding input.xml, no arguments), against baselines
# measured in the same run. Prints one table for each of:
#
#  1. one file of 1 MiB, 100 MiB and 1 GiB rewritten with a prefix and a
#     suffix, against the shell pipeline doing the same job as durably,
#       { printf %s "$prefix"; cat FILE; printf %s "$suffix"; } > TMP &&
#         sync TMP && mv TMP FILE && sync DIR
#     wall time, CPU time (user + system) and peak resident memory, each the
#     median of alternating rounds after one warm-up round of each;
#  2. one step of 10,000 files of 1 KiB (one input.xml listing them all),
#     against minimal_rewrite, the least a program can do to rewrite the same
#     files safely (open, exclusive create, copy_file_range, fchmod, rename
#     per file; no XML), against the same loop made durable the obvious way
#     (minimal_rewrite --durable: fdatasync before each rename, fsync of the
#     directory after it), and against the pipeline over a sample of the
#     same files, scaled per file;
#  3. the start-up floor: a whole run on a one-file step against
#     startup_floor, which only starts Xerces-C and Xalan-C and parses the
#     same input.xml; mean of many runs each (hyperfine when installed);
#     beside it the flushes such a run makes (strace, when installed) and
#     what one flush costs here (minimal_rewrite --durable on one file
#     against minimal_rewrite);
#  4. large input.xml documents, one of 10,000 data elements of every type
#     and one with a single value of 100 MiB: peak resident memory (and wall
#     time) of a whole run against startup_floor parsing the same document,
#     medians of alternating rounds. Every element goes back in output.xml,
#     so the run holds what it read and what it writes.
#
# Builds its own optimised binaries: the top-level project in a Release build
# without tests (target hemwright) and the helpers in bench/ beside it.
#
# Environment: BENCH_WORK_DIR (where the test files go; default $TMPDIR or
# /tmp; needs about 2.2 GiB free), BENCH_BUILD_DIR (default build-bench),
# BENCH_ROUNDS (rounds of tables 1 and 2, default 5), BENCH_STARTUP_RUNS
# (runs of each command in table 3, default 100), BENCH_PIPELINE_SAMPLE
# (files in the pipeline's sample of table 2, default 500), BENCH_SIZES_MIB
# (sizes of table 1 in MiB, separated by blanks or commas, default
# "1 100 1024"), BENCH_VALUE_MIB (size of the one value of table 4, default
# 100), BENCH_BEFORE (a git revision of this repository: its hemwright is
# built too and run in the same rounds as a "before" row of tables 1, 2 and
# 4, so that a change is measured against the same machine in the same run).
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BENCH_BUILD_DIR:-$root/build-bench}"
rounds="${BENCH_ROUNDS:-5}"
startup_runs="${BENCH_STARTUP_RUNS:-100}"
sample="${BENCH_PIPELINE_SAMPLE:-500}"
sizes="${BENCH_SIZES_MIB:-1 100 1024}"
sizes="${sizes//,/ }"
value_mib="${BENCH_VALUE_MIB:-100}"
if ! [[ "$value_mib" =~ ^[1-9][0-9]*$ ]]; then
  echo "bench.sh: BENCH_VALUE_MIB must be a whole number of MiB, not '$value_mib'" >&2
  exit 2
fi
for size in $sizes; do
  if ! [[ "$size" =~ ^[1-9][0-9]*$ ]]; then
    echo "bench.sh: BENCH_SIZES_MIB must list whole numbers of MiB (blanks or commas between), not '$BENCH_SIZES_MIB'" >&2
    exit 2
  fi
done
small_count=10000
# Plain ASCII, so that the bytes hemwright writes (ISO 8859-1) and the bytes
# printf writes are the same and the two results can be compared.
prefix='# rewritten by the benchmark: prefix line
'
suffix='
# end of the benchmark suffix'

# A build folder configured from another source (the earlier driver-only
# benchmark configured bench/ itself) cannot be reused; say so rather than
# deleting a folder someone may have chosen on purpose.
if [ -f "$build/CMakeCache.txt" ] &&
   ! grep -qx "CMAKE_HOME_DIRECTORY:INTERNAL=$root" "$build/CMakeCache.txt"; then
  echo "bench.sh: $build was configured from another source folder; remove it and run again." >&2
  exit 1
fi

echo "== building hemwright (Release, no tests) in $build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DHEMWRIGHT_BUILD_TESTS=OFF -DHEMWRIGHT_MAN_PAGES=OFF >/dev/null
cmake --build "$build" --target hemwright -j "$(nproc 2>/dev/null || echo 2)" >/dev/null
echo "== building the benchmark helpers in $build/bench"
cmake -S "$root/bench" -B "$build/bench" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build/bench" -j "$(nproc 2>/dev/null || echo 2)" >/dev/null
hemwright="$build/bin/hemwright"
before_rev="${BENCH_BEFORE:-}"
hemwright_before=""
if [ -n "$before_rev" ]; then
  before_commit="$(git -C "$root" rev-parse --verify --short "$before_rev^{commit}")" ||
    { echo "bench.sh: BENCH_BEFORE names no revision of $root: '$before_rev'" >&2; exit 2; }
  echo "== building hemwright as of $before_commit (Release, no tests) in $build/before"
  # A fresh build folder: the archive gives files their commit times, which
  # an earlier build of another revision would take to be up to date.
  rm -rf "$build/before-source" "$build/before"
  mkdir -p "$build/before-source"
  git -C "$root" archive "$before_commit" | tar -x -C "$build/before-source"
  cmake -S "$build/before-source" -B "$build/before" -DCMAKE_BUILD_TYPE=Release -DHEMWRIGHT_BUILD_TESTS=OFF -DHEMWRIGHT_MAN_PAGES=OFF >/dev/null
  cmake --build "$build/before" --target hemwright -j "$(nproc 2>/dev/null || echo 2)" >/dev/null
  hemwright_before="$build/before/bin/hemwright"
fi
floor="$build/bench/startup_floor"
measure="$build/bench/measure_run"
minimal="$build/bench/minimal_rewrite"

work="$(mktemp -d "${BENCH_WORK_DIR:-${TMPDIR:-/tmp}}/hemwright-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT

# Writes DIR/input.xml: a step with the benchmark's prefix and suffix over
# the files named after DIR (absolute names without characters XML escapes).
write_input() {
  local directory="$1"
  shift
  {
    printf '<?xml version="1.0" encoding="UTF-8"?>\n'
    printf '<VellamorPlugin SpecVersion="1.0">\n  <PipelinePluginInput SpecVersion="1.0">\n'
    printf '    <DataElements>\n'
    printf '      <DataElement Name="DataToPrepend" Type="string">%s</DataElement>\n' "$prefix"
    printf '      <DataElement Name="DataToAppend" Type="string">%s</DataElement>\n' "$suffix"
    printf '    </DataElements>\n    <Files>\n'
    printf '      <File Name="%s"/>\n' "$@"
    printf '    </Files>\n  </PipelinePluginInput>\n</VellamorPlugin>\n'
  } >"$directory/input.xml"
}

# Each prints "wall cpu rss" (seconds, seconds, KiB) for one run.
run_hemwright() { "$measure" -C "$1" "$hemwright"; }
# The earlier build of BENCH_BEFORE; appends nothing when there is none.
run_before() { [ -z "$hemwright_before" ] || "$measure" -C "$1" "$hemwright_before"; }
# Prints a "before" line for the medians of FILE against the current run's
# wall and cpu, when BENCH_BEFORE is set.
before_line() {
  [ -n "$hemwright_before" ] || return 0
  local bw bc br
  read -r bw bc br < <(medians <"$1")
  printf '   before (%s): wall %.3fs, cpu %.3fs, rss %.1fMiB; now / before: wall x %s, cpu x %s, rss x %s\n' \
    "$before_commit" "$bw" "$bc" "$(mib "$br")" "$(ratio "$2" "$bw")" "$(ratio "$3" "$bc")" "$(ratio "$4" "$br")"
}
run_minimal() { "$measure" "$minimal" "$prefix" "$suffix" "$1"; }
run_minimal_durable() { "$measure" "$minimal" --durable "$prefix" "$suffix" "$1"; }
# The pipeline, as durable as hemwright: the new file flushed before the
# rename, its directory after.
run_pipeline() {
  "$measure" bash -c 'p=$1; s=$2; shift 2
    for f; do { printf %s "$p"; cat "$f"; printf %s "$s"; } > "$f.tmp" && sync "$f.tmp" &&
      mv "$f.tmp" "$f" && sync "$(dirname "$f")"; done' \
    _ "$prefix" "$suffix" "$@"
}

# Median of each column of the lines on standard input.
medians() {
  awk '{ for (i = 1; i <= NF; ++i) v[i, NR] = $i + 0; n = NR; m = NF }
       END {
         for (i = 1; i <= m; ++i) {
           for (a = 1; a <= n; ++a) col[a] = v[i, a]
           for (a = 1; a <= n; ++a) for (b = a + 1; b <= n; ++b) if (col[b] < col[a]) { t = col[a]; col[a] = col[b]; col[b] = t }
           printf "%s%s", col[int((n + 1) / 2)], (i < m ? " " : "\n")
         }
       }'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else printf "n/a" }'; }
ms() { awk -v s="$1" 'BEGIN { printf "%.1f", s * 1000 }'; }
mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }

echo "== machine: $(nproc) cores, $(uname -r), work folder $work"

# Correctness first: a figure of a program that writes the wrong bytes is
# worth nothing.
check="$work/check"
mkdir "$check"
head -c 100000 /dev/urandom >"$check/data"
cp "$check/data" "$check/expected"
run_pipeline "$check/expected" >/dev/null
write_input "$check" "$check/data"
run_hemwright "$check" >/dev/null
cmp -s "$check/data" "$check/expected" || { echo "bench.sh: hemwright wrote other bytes than the pipeline" >&2; exit 1; }
head -c 100000 /dev/urandom >"$check/minimal"
cp "$check/minimal" "$check/data"
echo "$check/minimal" >"$check/list"
run_minimal "$check/list" >/dev/null
run_hemwright "$check" >/dev/null
cmp -s "$check/data" "$check/minimal" || { echo "bench.sh: hemwright wrote other bytes than minimal_rewrite" >&2; exit 1; }
rm -rf "$check"
echo "== check: hemwright's result is byte for byte the pipeline's and minimal_rewrite's"

echo
echo "1. One file rewritten: hemwright vs the pipeline (medians of $rounds alternating rounds after a warm-up)"
printf '%-8s | %-10s %-10s %-9s | %-10s %-10s %-9s | %-6s %-6s | %s\n' \
  size "pipe wall" "pipe cpu" "pipe rss" "hw wall" "hw cpu" "hw rss" "wall x" "cpu x" "hw - pipe wall"
for mebibytes in $sizes; do
  if [ "$mebibytes" -ge 1024 ] && [ $((mebibytes % 1024)) -eq 0 ]; then label="$((mebibytes / 1024)) GiB"; else label="$mebibytes MiB"; fi
  step="$work/step"
  mkdir "$step"
  file="$work/input.bin"
  head -c "$((mebibytes * 1024 * 1024))" /dev/urandom >"$file"
  write_input "$step" "$file"
  sync
  # Warm-up: from here on both read a file in the page cache.
  run_pipeline "$file" >/dev/null
  run_hemwright "$step" >/dev/null
  run_before "$step" >/dev/null
  : >"$work/pipeline.txt"
  : >"$work/ours.txt"
  : >"$work/before.txt"
  for ((round = 0; round < rounds; ++round)); do
    # Each run starts with nothing left to write back from the one before.
    sync
    run_pipeline "$file" >>"$work/pipeline.txt"
    sync
    run_hemwright "$step" >>"$work/ours.txt"
    sync
    run_before "$step" >>"$work/before.txt"
  done
  read -r pw pc pr < <(medians <"$work/pipeline.txt")
  read -r ow oc orss < <(medians <"$work/ours.txt")
  printf '%-8s | %8ss %8ss %6.1fMiB | %8ss %8ss %6.1fMiB | %6s %6s | %+.1f ms\n' "$label" \
    "$(printf %.3f "$pw")" "$(printf %.3f "$pc")" "$(mib "$pr")" \
    "$(printf %.3f "$ow")" "$(printf %.3f "$oc")" "$(mib "$orss")" \
    "$(ratio "$ow" "$pw")" "$(ratio "$oc" "$pc")" "$(awk -v a="$ow" -v b="$pw" 'BEGIN { print (a - b) * 1000 }')"
  before_line "$work/before.txt" "$ow" "$oc" "$orss"
  rm -rf "$file" "$file.tmp" "$step"
  sync
done
echo "   targets for 1 GiB: wall x <= 1.05 (median of the rounds); hw rss the same at every size"

echo
echo "2. One step of $small_count files of 1 KiB (medians of $rounds alternating rounds after a warm-up)"
step="$work/step"
small="$work/small"
mkdir "$step" "$small"
head -c "$((small_count * 1024))" /dev/urandom | split -b 1024 -a 5 -d - "$small/f"
files=("$small"/f*)
write_input "$step" "${files[@]}"
printf '%s\n' "${files[@]}" >"$work/list"
sync
run_minimal "$work/list" >/dev/null
run_minimal_durable "$work/list" >/dev/null
run_pipeline "${files[@]:0:$sample}" >/dev/null
run_hemwright "$step" >/dev/null
run_before "$step" >/dev/null
: >"$work/minimal.txt"
: >"$work/durable.txt"
: >"$work/pipeline.txt"
: >"$work/ours.txt"
: >"$work/before.txt"
for ((round = 0; round < rounds; ++round)); do
  sync
  run_minimal "$work/list" >>"$work/minimal.txt"
  sync
  run_minimal_durable "$work/list" >>"$work/durable.txt"
  sync
  run_hemwright "$step" >>"$work/ours.txt"
  sync
  run_before "$step" >>"$work/before.txt"
  sync
  run_pipeline "${files[@]:0:$sample}" >>"$work/pipeline.txt"
done
read -r mw mc mr < <(medians <"$work/minimal.txt")
read -r dw dc dr < <(medians <"$work/durable.txt")
read -r pw pc pr < <(medians <"$work/pipeline.txt")
read -r ow oc orss < <(medians <"$work/ours.txt")
count="$(find "$small" -type f | wc -l)"
leftovers="$(find "$small" -name '*tmp*' | wc -l)"
if [ "$leftovers" -ne 0 ] || [ "$count" -ne "$small_count" ]; then
  echo "bench.sh: $leftovers temporary files left, $count files present" >&2
  exit 1
fi
per_ours="$(awk -v w="$ow" -v n="$small_count" 'BEGIN { printf "%.1f", w * 1e6 / n }')"
per_minimal="$(awk -v w="$mw" -v n="$small_count" 'BEGIN { printf "%.1f", w * 1e6 / n }')"
per_durable="$(awk -v w="$dw" -v n="$small_count" 'BEGIN { printf "%.1f", w * 1e6 / n }')"
per_pipe="$(awk -v w="$pw" -v n="$sample" 'BEGIN { printf "%.1f", w * 1e6 / n }')"
printf '%-36s | %9s | %9s | %11s | %s\n' "" "wall" "cpu" "peak rss" "wall per file"
printf '%-36s | %8ss | %8ss | %8.1fMiB | %8s µs\n' "hemwright, all $small_count files, one run" \
  "$(printf %.3f "$ow")" "$(printf %.3f "$oc")" "$(mib "$orss")" "$per_ours"
printf '%-36s | %8ss | %8ss | %8.1fMiB | %8s µs\n' "minimal_rewrite, all $small_count files" \
  "$(printf %.3f "$mw")" "$(printf %.3f "$mc")" "$(mib "$mr")" "$per_minimal"
printf '%-36s | %8ss | %8ss | %8.1fMiB | %8s µs\n' "minimal_rewrite --durable, all files" \
  "$(printf %.3f "$dw")" "$(printf %.3f "$dc")" "$(mib "$dr")" "$per_durable"
printf '%-36s | %8ss | %8ss | %8.1fMiB | %8s µs\n' "durable pipeline, first $sample files" \
  "$(printf %.3f "$pw")" "$(printf %.3f "$pc")" "$(mib "$pr")" "$per_pipe"
echo "   hemwright vs minimal_rewrite: wall x $(ratio "$ow" "$mw"), cpu x $(ratio "$oc" "$mc") (hemwright flushes, minimal_rewrite does not)"
echo "   hemwright vs minimal_rewrite --durable: wall x $(ratio "$ow" "$dw"), cpu x $(ratio "$oc" "$dc") (target: wall <= 0.4)"
before_line "$work/before.txt" "$ow" "$oc" "$orss"
echo "   hemwright's wall time per file is $(ratio "$per_ours" "$per_pipe") x the pipeline's (the pipeline takes $(ratio "$per_pipe" "$per_ours") x as long);"
echo "   all $count files present afterwards, no temporary file left"
rm -rf "$small" "$step" "$work/list"

echo
echo "3. Start-up floor: whole run on a one-file step vs startup_floor (start Xerces-C and Xalan-C, parse input.xml)"
step="$work/step"
mkdir "$step"
printf 'tiny\n' >"$step/tiny.txt"
write_input "$step" "$step/tiny.txt"
if command -v hyperfine >/dev/null 2>&1 && command -v jq >/dev/null 2>&1; then
  echo "   hyperfine, no shell, 10 warm-up runs and $startup_runs runs each"
  # The file grows by the prefix and suffix on every run (to a few KiB), too
  # little to change what a run costs.
  (cd "$step" && hyperfine -N --style none --warmup 10 --runs "$startup_runs" \
     --export-json "$work/startup.json" "$hemwright" "$floor" >/dev/null)
  read -r hw hc < <(jq -r '.results[0] | "\(.mean) \(.user + .system)"' "$work/startup.json")
  read -r fw fc < <(jq -r '.results[1] | "\(.mean) \(.user + .system)"' "$work/startup.json")
  read -r hs fs < <(jq -r '"\(.results[0].stddev) \(.results[1].stddev)"' "$work/startup.json")
else
  echo "   hyperfine not installed: $startup_runs alternating runs each, timed with wait4"
  : >"$work/hw.txt"
  : >"$work/floor.txt"
  for ((run = 0; run < startup_runs + 10; ++run)); do
    "$measure" -C "$step" "$hemwright" >>"$work/hw.txt"
    "$measure" -C "$step" "$floor" >>"$work/floor.txt"
  done
  mean_sd() { tail -n "$startup_runs" | awk '{ s += $1; q += $1 * $1; c += $2 } END { m = s / NR; printf "%.6f %.6f %.6f\n", m, c / NR, sqrt(q / NR - m * m) }'; }
  read -r hw hc hs < <(mean_sd <"$work/hw.txt")
  read -r fw fc fs < <(mean_sd <"$work/floor.txt")
fi
printf '%-28s | %16s | %11s\n' "" "wall per run" "cpu per run"
printf '%-28s | %6s ± %4s ms | %8s ms\n' "hemwright, one tiny file" "$(ms "$hw")" "$(ms "$hs")" "$(ms "$hc")"
printf '%-28s | %6s ± %4s ms | %8s ms\n' "startup_floor" "$(ms "$fw")" "$(ms "$fs")" "$(ms "$fc")"
printf '%-28s | %16s | %11s\n' "ratio (goal <= 1.15)" "$(ratio "$hw" "$fw") x" "$(ratio "$hc" "$fc") x"
# What one flush costs here: the durable loop on one small file against the
# plain one (a file's fdatasync and its directory's fsync), mean of runs.
printf 'x\n' >"$step/one.txt"
printf '%s\n' "$step/one.txt" >"$step/one.list"
: >"$work/plain.txt"
: >"$work/flushed.txt"
for ((run = 0; run < 30; ++run)); do
  run_minimal "$step/one.list" >>"$work/plain.txt"
  run_minimal_durable "$step/one.list" >>"$work/flushed.txt"
done
flush_cost="$(paste "$work/flushed.txt" "$work/plain.txt" | awk '{ d += $1 - $4 } END { printf "%.1f", d / NR / 2 * 1000 }')"
echo "   one flush here costs about $flush_cost ms (half of what a file's fdatasync and its directory's fsync add to the plain loop)"
if command -v strace >/dev/null 2>&1; then
  (cd "$step" && strace -f -e trace=fsync,fdatasync,syncfs -o "$work/flushes.txt" "$hemwright" >/dev/null)
  flushes="$(grep -cE '(fsync|fdatasync|syncfs)\(' "$work/flushes.txt" || true)"
  echo "   flushes of hemwright's one-file run: $flushes (strace; the goal is at most 3)"
fi
rm -rf "$step"

echo
echo "4. Large input.xml: whole run (no files) vs startup_floor parsing the same document (medians of $rounds alternating rounds)"
# DIR/input.xml with 10,000 data elements, the six types the host sends in
# turn, in texts that the typed values would not give back (digits beyond a
# double, zones, fractions, spellings), and a prefix so that the run has
# something to do.
write_many_elements() {
  {
    printf '<?xml version="1.0" encoding="UTF-8"?>\n<VellamorPlugin SpecVersion="1.0">\n'
    printf '  <PipelinePluginInput SpecVersion="1.0">\n    <DataElements>\n'
    awk 'BEGIN {
      for (i = 0; i < 9999; ++i) {
        t = i % 6
        if (t == 0) printf "      <DataElement Name=\"Text%05d\" Type=\"string\">variable %d of the pipeline, a text of some length</DataElement>\n", i, i
        else if (t == 1) printf "      <DataElement Name=\"Count%05d\" Type=\"int\">%d</DataElement>\n", i, i * 7919
        else if (t == 2) printf "      <DataElement Name=\"Id%05d\" Type=\"long\">90071992547409%02d</DataElement>\n", i, i % 100
        else if (t == 3) printf "      <DataElement Name=\"Ratio%05d\" Type=\"double\">%d.14159265358979</DataElement>\n", i, i
        else if (t == 4) printf "      <DataElement Name=\"When%05d\" Type=\"date\">2026-12-09T10:11:12.%03d+02:00</DataElement>\n", i, i % 1000
        else printf "      <DataElement Name=\"Flag%05d\" Type=\"bool\">Yes</DataElement>\n", i
      }
    }'
    printf '      <DataElement Name="DataToPrepend" Type="string">#</DataElement>\n'
    printf '    </DataElements>\n  </PipelinePluginInput>\n</VellamorPlugin>\n'
  } >"$1/input.xml"
}
# DIR/input.xml whose prefix is one value of value_mib MiB (lines of ASCII).
write_large_value() {
  {
    printf '<?xml version="1.0" encoding="UTF-8"?>\n<VellamorPlugin SpecVersion="1.0">\n'
    printf '  <PipelinePluginInput SpecVersion="1.0">\n    <DataElements>\n'
    printf '      <DataElement Name="DataToPrepend" Type="string">'
    yes 'a line of the one large value, 0123456789' | head -c "$((value_mib * 1024 * 1024))" || true
    printf '</DataElement>\n    </DataElements>\n  </PipelinePluginInput>\n</VellamorPlugin>\n'
  } >"$1/input.xml"
}
printf '%-36s | %10s %10s | %10s %10s | %s\n' document "hw rss" "floor rss" "hw wall" "floor wall" "rss x"
for document in many large; do
  step="$work/step"
  mkdir "$step"
  if [ "$document" = many ]; then
    label="10,000 data elements"
    write_many_elements "$step"
    # Every element goes back with the host's own texts.
    run_hemwright "$step" >/dev/null
    diff <(grep '<DataElement ' "$step/input.xml" | sed 's/^[[:space:]]*//' | sort) \
         <(grep '<DataElement ' "$step/output.xml" | sed 's/^[[:space:]]*//' | sort) >/dev/null ||
      { echo "bench.sh: output.xml does not give back the data elements as sent" >&2; exit 1; }
  else
    label="one value of $value_mib MiB"
    write_large_value "$step"
    run_hemwright "$step" >/dev/null
  fi
  run_hemwright "$step" >/dev/null
  "$measure" -C "$step" "$floor" >/dev/null
  run_before "$step" >/dev/null
  : >"$work/ours.txt"
  : >"$work/floor.txt"
  : >"$work/before.txt"
  for ((round = 0; round < rounds; ++round)); do
    run_hemwright "$step" >>"$work/ours.txt"
    "$measure" -C "$step" "$floor" >>"$work/floor.txt"
    run_before "$step" >>"$work/before.txt"
  done
  read -r ow oc orss < <(medians <"$work/ours.txt")
  read -r fw fc frss < <(medians <"$work/floor.txt")
  printf '%-36s | %7.1fMiB %7.1fMiB | %9ss %9ss | %s\n' "$label" "$(mib "$orss")" "$(mib "$frss")" \
    "$(printf %.3f "$ow")" "$(printf %.3f "$fw")" "$(ratio "$orss" "$frss")"
  before_line "$work/before.txt" "$ow" "$oc" "$orss"
  rm -rf "$step"
done
