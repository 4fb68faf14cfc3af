#!/usr/bin/env bash
# Times korvex against the floor of reading its input and against a grep/awk
# pipeline, on made-up series of N DIRAX files of about 5 KB each, warm cache.
#
# For each N: writes the series under a scratch folder, checks that korvex runs
# clean and that the pipeline gives the same rows as korvex's table, then times
# with hyperfine, side by side in one run:
#   cat      xargs cat < names.txt > /dev/null           (every listed byte read once)
#   floor    korvex_read_floor                             (korvex's system calls alone)
#   awk      xargs grep -H ... < names.txt | awk ...      (two processes, two cores)
#   korvex   printf 'series.lst\n1\nn...' | korvex        (input cell, no plot shown)
# and measures korvex's peak resident memory with /usr/bin/time -v. Prints the
# medians, the ratios korvex/cat and korvex/awk, the cost per file and the memory,
# then the processor time (user + system, mean) of each command, which tells more
# than the elapsed time when the machine is busy with other work.
#
# Usage: bench/run_bench.sh [-k KORVEX] [-b BASE] [-r RUNS] [-o RESULTS] [N ...]
#   N        series lengths (default: 1000 5000 10000 100000)
#   KORVEX   the binary to time (default: build/bench/korvex)
#   BASE     another korvex binary (an older build, say), timed in the same run
#   RUNS     timed runs per command (default 20; 10 for N >= 50000)
#   RESULTS  folder for the hyperfine JSON and the summary (default: a scratch folder)
# The series are written under $TMPDIR (default /tmp) and removed afterwards.
# Needs python3, hyperfine, GNU time (/usr/bin/time), grep and awk.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
korvex="$here/../build/bench/korvex"
base=""
runs=""
results=""
while getopts "k:b:r:o:" opt; do
  case $opt in
    k) korvex=$OPTARG ;;
    b) base=$(realpath "$OPTARG") ;;
    r) runs=$OPTARG ;;
    o) results=$OPTARG ;;
    *) sed -n '2,22p' "$0"; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1000 5000 10000 100000)

korvex=$(cd "$(dirname "$korvex")" && pwd)/$(basename "$korvex")
floor="$here/../build/bench/bench/korvex_read_floor"
[ -x "$floor" ] || { echo "run_bench: no $floor (cmake --build --preset bench)" >&2; exit 2; }
floor=$(realpath "$floor")
for tool in python3 hyperfine /usr/bin/time grep awk xargs; do
  command -v "$tool" > /dev/null || { echo "run_bench: $tool is missing" >&2; exit 2; }
done
[ -x "$korvex" ] || { echo "run_bench: no korvex at $korvex (cmake --preset bench && cmake --build --preset bench)" >&2; exit 2; }

# The C locale for grep and awk: the fastest setting for them, and the same bytes.
export LC_ALL=C

scratch=$(mktemp -d "${TMPDIR:-/tmp}/korvex-bench.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
[ -n "$results" ] || results="$scratch/results"
mkdir -p "$results"

# About 5.3 KB a file, and some room to spare.
largest=0
for n in "${sizes[@]}"; do [ "$n" -gt "$largest" ] && largest=$n; done
need_kb=$((largest * 6 + 10240))
free_kb=$(df -Pk "$scratch" | awk 'NR == 2 { print $4 }')
if [ "$free_kb" -lt "$need_kb" ]; then
  echo "run_bench: $((need_kb / 1024)) MB needed under $scratch, $((free_kb / 1024)) MB free" >&2
  exit 2
fi

answers='series.lst\n1\nn\nn\nn\nn\nn\nn\nn\n'
grep_awk="xargs grep -H -E '^ *(\\{Input cell|Conventional :|Volume)' < names.txt | awk -f '$here/extract_table.awk' series.lst - > awk_table.xy"
run_korvex="printf '$answers' | '$korvex' > /dev/null"
base_command=()
[ -z "$base" ] || base_command=(-n base "printf '$answers' | '$base' > /dev/null")

summary="$results/summary.txt"
cpu_table="$results/cpu.txt"
printf '%8s %12s %12s %12s %12s\n' N cat_cpu_ms awk_cpu_ms korvex_cpu_ms base_cpu_ms > "$cpu_table"
{
  echo "korvex benchmark, $(date -u '+%Y-%m-%d %H:%M UTC')"
  echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), $(nproc) cores, $(awk '/MemTotal/ { printf "%.0f GB", $2 / 1048576 }' /proc/meminfo), kernel $(uname -r)"
  echo "file system of the series: $(df -PT "$scratch" | awk 'NR == 2 { print $2 }')"
  echo "korvex: $korvex"
  [ -z "$base" ] || echo "base: $base (base_ms: its median)"
  echo "load average at the start: $(cut -d' ' -f1-3 /proc/loadavg)"
  echo "tools: $(hyperfine --version), $(grep --version | head -1), $(awk -W version 2>&1 | head -1)"
  echo
  printf '%8s %8s %10s %10s %10s %10s %10s %10s %10s %14s %10s' \
    N MB cat_ms floor_ms awk_ms korvex_ms korvex/cat korvex/flr korvex/awk korvex_us/file maxRSS_kB
  [ -z "$base" ] && echo || printf ' %10s\n' base_ms
} | tee "$summary"

for n in "${sizes[@]}"; do
  data="$scratch/series_$n"
  python3 "$here/make_series.py" "$data" "$n"
  cd "$data"
  mb=$(find dx -type f -printf '%s\n' | awk '{ s += $1 } END { printf "%.1f", s / 1048576 }')

  # korvex must run clean and the pipeline must give korvex's rows: a timing of
  # programs that do not do the same work would say nothing.
  printf "$answers" | "$korvex" > korvex_console.txt
  rows=$(tail -n +6 TK_parameters.xy | wc -l)
  [ "$rows" -eq "$n" ] || { echo "run_bench: korvex wrote $rows rows for $n files" >&2; exit 1; }
  eval "$grep_awk"
  if ! tail -n +6 TK_parameters.xy | cmp -s - awk_table.xy; then
    echo "run_bench: the grep/awk table differs from korvex's for N = $n" >&2
    exit 1
  fi

  r=$runs
  [ -n "$r" ] || { [ "$n" -ge 50000 ] && r=10 || r=20; }
  hyperfine --style basic --warmup 3 --runs "$r" --export-json "$results/hyperfine_$n.json" \
    -n cat "xargs cat < names.txt > /dev/null" \
    -n floor "'$floor' > /dev/null" \
    -n awk "$grep_awk" \
    -n korvex "$run_korvex" "${base_command[@]}" > "$results/hyperfine_$n.txt" 2>&1

  printf "$answers" | /usr/bin/time -v "$korvex" > /dev/null 2> time_v.txt
  rss=$(awk -F': ' '/Maximum resident set size/ { print $2 }' time_v.txt)

  python3 - "$results/hyperfine_$n.json" "$n" "$mb" "$rss" "$cpu_table" << 'EOF' | tee -a "$summary"
import json, sys
path, n, mb, rss, cpu_table = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4], sys.argv[5]
results = json.load(open(path))["results"]
med = {r["command"]: r["median"] * 1000 for r in results}
cpu = {r["command"]: (r["user"] + r["system"]) * 1000 for r in results}
with open(cpu_table, "a") as f:
    f.write(f"{n:8d} {cpu['cat']:12.1f} {cpu['awk']:12.1f} {cpu['korvex']:12.1f} "
            f"{cpu.get('base', float('nan')):12.1f}\n")
k = med["korvex"]
line = (f"{n:8d} {mb:>8} {med['cat']:10.1f} {med['floor']:10.1f} {med['awk']:10.1f} {k:10.1f} "
        f"{k / med['cat']:10.3f} {k / med['floor']:10.3f} {k / med['awk']:10.3f} "
        f"{k * 1000 / n:14.2f} {rss:>10}")
if "base" in med:
    line += f" {med['base']:10.1f}"
print(line)
EOF
  cd "$scratch"
  rm -rf "$data"
done

{
  echo
  echo "processor time, user + system, mean of the timed runs (awk: grep, awk and xargs together)"
  cat "$cpu_table"
  echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
} | tee -a "$summary"
echo "hyperfine reports and JSON: $results"
