#!/usr/bin/env bash
# Whole-program benchmark: the tool's sweep against the cost of its writes.
#
# Runs a sweep of 100,100 x (bench/answers/sweep.txt) into a results file in a
# temporary folder, several times; beside each run, write_floor replays the
# file just produced with one write() per record (the tool's own record
# boundaries) and nothing else. The figure that matters is the ratio tool /
# floor of wall times: absolute times on a shared machine are noise. The
# processor-time ratio (user + system) is printed beside it, and the user and
# system time per x of both sides: the system time is the writes, the tool's
# user time is its own work. Then the peak resident memory of a 10-x and a
# 1,000,001-x sweep, three runs each.
#
# The one fact to know: every program is pinned to one processor (CPU, default
# the last one this shell may use), because the processors of a virtual
# machine can differ by 30% from minute to minute; a ratio of two programs that
# ran on different processors measures the machine, not the tool.
#
# This script builds nothing. Build first, for example
#   cmake --preset default -DULPSCOPE_BENCH=ON && cmake --build --preset default -j2
# then run
#   bench/sweep.sh [BUILD_FOLDER [OTHER_TOOL...]]     (default: build/default)
# OTHER_TOOL: further ulpscope executables (another build, an older binary),
# measured in the same rounds against the same floor; each must write the
# same results file byte for byte, or the script stops.
# Environment: RUNS (default 9) rounds; CPU the processor; NICE=-10 runs every
# measured program, tool and floor alike, at that niceness (as root), which
# keeps other work on a busy machine from stretching one side's wall time more
# than the other's; MEMORY=0 skips the
# memory runs; KEEP=1 keeps the temporary folder (about 50 MB, plus 250 MB
# during the memory runs). Needs bash, coreutils, util-linux (taskset,
# setsid), grep and awk: nothing beyond a Debian base system.
set -euo pipefail

# The tool waits for a key at the end of a run when it has a terminal; the
# benchmark runs without one, so nothing waits.
if [[ -z ${ULPSCOPE_BENCH_DETACHED:-} ]] && { : < /dev/tty; } 2> /dev/null; then
  exec env ULPSCOPE_BENCH_DETACHED=1 setsid -w "$0" "$@"
fi

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$here/build/default}" && pwd)
runs=${RUNS:-9}
floor=$build/bench/write_floor
measure=$build/bench/measure_run
tools=("$build/ulpscope")
for other in "${@:2}"; do tools+=("$(cd "$(dirname "$other")" && pwd)/$(basename "$other")"); done
cpu=${CPU:-$(taskset -cp $$ | awk -F'[ ,-]' '{ print $NF }')}
pinned=(taskset -c "$cpu")
if [[ -n ${NICE:-} ]]; then pinned=(nice -n "$NICE" "${pinned[@]}"); fi

for program in "${tools[@]}" "$floor" "$measure"; do
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
answers=$here/bench/answers

# "wall W user U sys S peak_rss_kib K" of one run of tool $1 on answers $2,
# which writes b.rez or m.rez.
run_tool() {
  rm -f b.rez m.rez
  sync
  "${pinned[@]}" "$measure" "$1" < "$2" 2>&1 > /dev/null | grep '^wall '
}

# "records N bytes B seconds S cpu C user U sys S" of the replay of b.rez.
replay() {
  rm -f replay.rez
  sync
  "${pinned[@]}" "$floor" b.rez replay.rez
}

field() { awk -v name="$1" '{ for (i = 1; i < NF; ++i) if ($i == name) print $(i + 1) }'; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
divide() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.4f\n", a / b }'; }
# "min A, median B, max C" of the numbers given, one a line.
spread() { sort -g | awk '{ v[NR] = $1 } END {
  m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
  printf "min %.4f, median %.4f, max %.4f", v[1], m, v[NR] }'; }
# The median of column $1 of the lines of tool $2 (or "floor") in the table.
column_median() { awk -v c="$1" -v who="$2" '$1 == who { print $c }' table | median; }

echo "ulpscope sweep benchmark: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg), $runs rounds," \
  "all pinned to processor $cpu${NICE:+, niceness $NICE}"
for ((t = 0; t < ${#tools[@]}; ++t)); do echo "  tool $t: ${tools[t]}"; done

# The file to replay, and the page cache warmed; every other tool must write
# the same bytes.
run_tool "${tools[0]}" "$answers/sweep.txt" > /dev/null
mv b.rez reference.rez
for ((t = 1; t < ${#tools[@]}; ++t)); do
  run_tool "${tools[t]}" "$answers/sweep.txt" > /dev/null
  if ! cmp -s reference.rez b.rez; then
    echo "sweep.sh: tool $t writes a different results file from tool 0" >&2
    exit 1
  fi
done
cp reference.rez b.rez
x_count=$(grep -c '^x: ' b.rez)
x3_count=$(grep -c '^x3:' b.rez)
header_count=$(grep -c '^-\{71\}' b.rez)
bytes=$(stat -c %s b.rez)

# One round runs the floor and every tool once, each starting with no dirty
# pages of another waiting to be written back (sync); the order rotates from
# round to round, so each goes first as often as the others. The table holds
# one line per program and round: who, wall, user, system.
: > table
contenders=(floor "${!tools[@]}")
for ((run = 1; run <= runs; ++run)); do
  declare -A wall=() user=() system=()
  for ((k = 0; k < ${#contenders[@]}; ++k)); do
    who=${contenders[(k + run - 1) % ${#contenders[@]}]}
    if [[ $who == floor ]]; then
      line=$(replay)
      writes=$(field records <<< "$line")
      wall[$who]=$(field seconds <<< "$line")
    else
      line=$(run_tool "${tools[who]}" "$answers/sweep.txt")
      wall[$who]=$(field wall <<< "$line")
    fi
    user[$who]=$(field user <<< "$line")
    system[$who]=$(field sys <<< "$line")
    echo "$who ${wall[$who]} ${user[$who]} ${system[$who]}" >> table
  done
  if ((run == 1)) && ! cmp -s reference.rez replay.rez; then
    echo "sweep.sh: the replay differs from the results file" >&2
    exit 1
  fi
  report="  round $run: floor $(printf '%.3f' "${wall[floor]}") s"
  for t in "${!tools[@]}"; do
    report+=", tool $t $(printf '%.3f' "${wall[$t]}") s ratio $(divide "${wall[$t]}" "${wall[floor]}")"
    echo "$t $(divide "${wall[$t]}" "${wall[floor]}") \
$(divide "$(awk -v u="${user[$t]}" -v s="${system[$t]}" 'BEGIN { print u + s }')" \
"$(awk -v u="${user[floor]}" -v s="${system[floor]}" 'BEGIN { print u + s }')")" >> ratios
  done
  echo "$report"
done

echo "sweep: $x_count x, $x3_count with x3 lines, $header_count separator records, $bytes bytes, $writes writes"
per_x() { awk -v s="$1" -v n="$x_count" 'BEGIN { printf "%.3f", s / n * 1e6 }'; }
floor_wall=$(column_median 2 floor)
echo "floor:  median $(printf '%.3f' "$floor_wall") s; per x: wall $(per_x "$floor_wall") µs," \
  "user $(per_x "$(column_median 3 floor)") µs, system $(per_x "$(column_median 4 floor)") µs;" \
  "$(awk -v f="$floor_wall" -v w="$writes" 'BEGIN { printf "%.3f", f / w * 1e6 }') µs per write"
for t in "${!tools[@]}"; do
  tool_wall=$(column_median 2 "$t")
  echo "tool $t: median $(printf '%.3f' "$tool_wall") s; per x: wall $(per_x "$tool_wall") µs," \
    "user $(per_x "$(column_median 3 "$t")") µs, system $(per_x "$(column_median 4 "$t")") µs"
  echo "  ratio tool / floor, wall: $(awk -v t="$t" '$1 == t { print $2 }' ratios | spread)"
  echo "  ratio tool / floor, cpu:  $(awk -v t="$t" '$1 == t { print $3 }' ratios | spread)"
done

[[ ${MEMORY:-1} == 0 ]] && exit 0
# Peak resident memory varies by a few pages from run to run (the loader, the
# environment), so each size runs three times; the medians are compared.
peaks() {
  local values=()
  for _ in 1 2 3; do values+=("$(run_tool "$1" "$2" | field peak_rss_kib)"); done
  printf '%s\n' "${values[@]}"
}
for t in "${!tools[@]}"; do
  ten_peaks=$(peaks "${tools[t]}" "$answers/ten.txt")
  ten_x=$(grep -c '^x: ' m.rez)
  million_peaks=$(peaks "${tools[t]}" "$answers/million.txt")
  million_x=$(grep -c '^x: ' m.rez)
  rm -f m.rez
  awk -v t="$t" -v a="$(median <<< "$ten_peaks")" -v b="$(median <<< "$million_peaks")" -v na="$ten_x" \
    -v nb="$million_x" 'BEGIN {
    printf "tool %s: peak resident memory (median of 3): %d x %d KiB, %d x %d KiB (%+.1f%%)\n", t, na, a, nb, b,
      (b - a) / a * 100 }'
  echo "  runs: $(tr '\n' ' ' <<< "$ten_peaks")KiB and $(tr '\n' ' ' <<< "$million_peaks")KiB"
done
