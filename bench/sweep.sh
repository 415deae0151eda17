#!/usr/bin/env bash
# Whole-program benchmark: the tool's sweep against the cost of its writes.
#
# Runs a sweep of 100,100 x into a results file in a temporary folder, several
# times; beside each run, write_floor replays the file just produced with one
# write() per record (the tool's own record boundaries) and nothing else. The
# figure that matters is the ratio tool / floor of wall times: absolute times
# on a shared machine are noise. The processor-time ratio (user + system) is
# printed beside it, as it suffers less from other work on the machine. Then
# the peak resident memory of a 10-x and a 1,000,001-x sweep, three runs each.
#
# The one fact to know: this script builds nothing. Build first, for example
#   cmake --preset default -DULPSCOPE_BENCH=ON && cmake --build --preset default -j2
# then run
#   bench/sweep.sh [BUILD_FOLDER]            (default: build/default)
# Environment: RUNS (default 9) runs of the 100,100-x sweep; KEEP=1 keeps the
# temporary folder (about 50 MB, plus 250 MB during the memory runs). Needs
# bash, coreutils, grep and awk: nothing beyond a Debian base system.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$here/build/default}" && pwd)
runs=${RUNS:-9}
tool=$build/ulpscope
floor=$build/bench/write_floor
measure=$build/bench/measure_run

for program in "$tool" "$floor" "$measure"; do
  if [[ ! -x $program ]]; then
    echo "sweep.sh: $program is missing; configure with -DULPSCOPE_BENCH=ON and build first" >&2
    exit 2
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/ulpscope-bench.XXXXXX")
if [[ -z ${KEEP:-} ]]; then trap 'rm -rf "$work"' EXIT; else echo "keeping $work"; fi
cd "$work"

# The 100,100-x sweep, three ranges (16,261 + 45,455 + 38,384 x):
#   -1 .. 1 by 0.000123: a header block at every binade, through zero;
#     two-digit exponents; about a third of the x have x3 lines.
#   1e300 .. 1.45e300 and 1e-300 .. 1.38e-300: three-digit exponents, a binade
#     change each, and a step of an odd number of ulps, so half have x3 lines.
printf 'b\n-1 1 0.000123\ny\n1e300 1.45e300 9.9e294\ny\n1e-300 1.38e-300 9.9e-306\nn\n' > sweep.txt
printf 'm\n1 10 1\nn\n' > ten.txt
printf 'm\n-1 1 0.000002\nn\n' > million.txt

# "wall W user U sys S peak_rss_kib K" of one run of the tool on $1, which
# writes b.rez or m.rez.
run_tool() {
  rm -f b.rez m.rez
  sync
  "$measure" "$tool" < "$1" 2>&1 > /dev/null | grep '^wall '
}

# "records N bytes B seconds S cpu C" of the replay of b.rez.
replay() {
  rm -f replay.rez
  sync
  "$floor" b.rez replay.rez
}

field() { awk -v name="$1" '{ for (i = 1; i < NF; ++i) if ($i == name) print $(i + 1) }'; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
divide() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.4f\n", a / b }'; }
spread() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { printf "min %s, max %s", v[1], v[NR] }'; }

echo "ulpscope sweep benchmark: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg), $runs runs"
run_tool sweep.txt > /dev/null  # warms the page cache and gives the file to replay
x_count=$(grep -c '^x: ' b.rez)
x3_count=$(grep -c '^x3:' b.rez)
header_count=$(grep -c '^-\{71\}' b.rez)
bytes=$(stat -c %s b.rez)

# Both sides start with no dirty pages of the other waiting to be written back
# (sync), and they take turns going first.
tool_wall=() tool_cpu=() floor_wall=() floor_cpu=() wall_ratios=() cpu_ratios=()
for ((run = 1; run <= runs; ++run)); do
  if ((run % 2 == 1)); then
    tool_line=$(run_tool sweep.txt)
    floor_line=$(replay)
  else
    floor_line=$(replay)
    tool_line=$(run_tool sweep.txt)
  fi
  if ((run == 1)) && ! cmp -s b.rez replay.rez; then
    echo "sweep.sh: the replay differs from the results file" >&2
    exit 1
  fi
  writes=$(field records <<< "$floor_line")
  tool_wall+=("$(field wall <<< "$tool_line")")
  tool_cpu+=("$(awk '{ print $4 + $6 }' <<< "$tool_line")")
  floor_wall+=("$(field seconds <<< "$floor_line")")
  floor_cpu+=("$(field cpu <<< "$floor_line")")
  wall_ratios+=("$(divide "${tool_wall[-1]}" "${floor_wall[-1]}")")
  cpu_ratios+=("$(divide "${tool_cpu[-1]}" "${floor_cpu[-1]}")")
  printf '  run %d: tool %.3f s (cpu %.3f)  floor %.3f s (cpu %.3f)  ratio %s (cpu %s)\n' "$run" \
    "${tool_wall[-1]}" "${tool_cpu[-1]}" "${floor_wall[-1]}" "${floor_cpu[-1]}" "${wall_ratios[-1]}" \
    "${cpu_ratios[-1]}"
done

tool_median=$(printf '%s\n' "${tool_wall[@]}" | median)
floor_median=$(printf '%s\n' "${floor_wall[@]}" | median)
echo "sweep: $x_count x, $x3_count with x3 lines, $header_count separator records, $bytes bytes, $writes writes"
awk -v t="$tool_median" -v f="$floor_median" -v n="$x_count" -v w="$writes" 'BEGIN {
  printf "tool:  median %.3f s, %.0f x per second, %.0f ns per x\n", t, n / t, t / n * 1e9
  printf "floor: median %.3f s, %.0f ns per x, %.0f ns per write\n", f, f / n * 1e9, f / w * 1e9
}'
echo "ratio tool / floor (wall): median $(printf '%s\n' "${wall_ratios[@]}" | median)" \
  "($(spread "${wall_ratios[@]}")); ratio of the medians $(divide "$tool_median" "$floor_median")"
echo "ratio tool / floor (cpu):  median $(printf '%s\n' "${cpu_ratios[@]}" | median)" \
  "($(spread "${cpu_ratios[@]}"))"

# Peak resident memory varies by a few pages from run to run (the loader, the
# environment), so each size runs three times; the medians are compared.
peaks() {
  local values=()
  for _ in 1 2 3; do values+=("$(run_tool "$1" | field peak_rss_kib)"); done
  printf '%s\n' "${values[@]}"
}
ten_peaks=$(peaks ten.txt)
ten_x=$(grep -c '^x: ' m.rez)
million_peaks=$(peaks million.txt)
million_x=$(grep -c '^x: ' m.rez)
rm -f m.rez
ten_peak=$(median <<< "$ten_peaks")
million_peak=$(median <<< "$million_peaks")
awk -v a="$ten_peak" -v b="$million_peak" -v na="$ten_x" -v nb="$million_x" 'BEGIN {
  printf "peak resident memory (median of 3): %d x %d KiB, %d x %d KiB (%+.1f%%)\n", na, a, nb, b, (b - a) / a * 100
}'
echo "  runs: $(tr '\n' ' ' <<< "$ten_peaks")KiB and $(tr '\n' ' ' <<< "$million_peaks")KiB"
