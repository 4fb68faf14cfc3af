#!/usr/bin/env bash
# Times korvex and the grep/awk pipeline (and an older korvex) in turn, round
# after round, on one made-up series, so that a change in the machine's load
# lands on all of them alike rather than on whichever hyperfine happened to be
# timing. The order of the commands alternates from one round to the next. Each
# command is started by `sh -c`, so all of them carry the same start-up cost.
# Prints the median, the lower and upper quartile and the ratios of the medians,
# of the elapsed time and of the processor time (user and system) of each
# command's processes.
#
# Usage: bench/interleaved.sh [-k KORVEX] [-b BASE] [-f FLOOR] [-r ROUNDS] [N]
#   N        series length (default 5000)
#   KORVEX   the binary to time (default: build/bench/korvex)
#   BASE     another korvex binary, timed in the same rounds
#   FLOOR    korvex_read_floor, timed in the same rounds (default: the one of
#            build/bench when it is there)
#   ROUNDS   rounds (default 40)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
korvex="$here/../build/bench/korvex"
base=""
floor="$here/../build/bench/bench/korvex_read_floor"
rounds=40
while getopts "k:b:f:r:" opt; do
  case $opt in
    k) korvex=$(realpath "$OPTARG") ;;
    b) base=$(realpath "$OPTARG") ;;
    f) floor=$OPTARG ;;
    r) rounds=$OPTARG ;;
    *) sed -n '2,15p' "$0"; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
n=${1:-5000}
[ -x "$korvex" ] || { echo "interleaved: no korvex at $korvex" >&2; exit 2; }
if [ -x "$floor" ]; then floor=$(realpath "$floor"); else floor=""; fi
export LC_ALL=C

scratch=$(mktemp -d "${TMPDIR:-/tmp}/korvex-interleaved.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
python3 "$here/make_series.py" "$scratch" "$n"
cd "$scratch"

answers='series.lst\n1\nn\nn\nn\nn\nn\nn\nn\n'
python3 - "$rounds" "$korvex" "$base" "$answers" "$here/extract_table.awk" "$floor" << 'EOF'
import resource, statistics, subprocess, sys, time
rounds, korvex, base, answers, awk_script, floor = (int(sys.argv[1]), sys.argv[2], sys.argv[3],
                                                    sys.argv[4], sys.argv[5], sys.argv[6])
commands = {
    "grep/awk": "xargs grep -H -E '^ *(\\{Input cell|Conventional :|Volume)' < names.txt"
                f" | awk -f '{awk_script}' series.lst - > awk_table.xy",
    "korvex": f"printf '{answers}' | '{korvex}' > /dev/null",
}
if base:
    commands["base"] = f"printf '{answers}' | '{base}' > /dev/null"
if floor:
    commands["floor"] = f"'{floor}' > /dev/null"
names = list(commands)
times = {name: [] for name in names}
cpu = {name: [] for name in names}  # processor time, user and system, of the command's processes
for name in names:  # warm the cache and check that every command runs
    for _ in range(3):
        subprocess.run(["sh", "-c", commands[name]], check=True)
for r in range(rounds):
    order = names if r % 2 == 0 else names[::-1]
    for name in order:
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        subprocess.run(["sh", "-c", commands[name]], check=True)
        times[name].append((time.perf_counter() - start) * 1000)
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        cpu[name].append((after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime) * 1000)
with open("/proc/loadavg") as f:
    load = " ".join(f.read().split()[:3])
print(f"N = {len(open('names.txt').readlines())}, {rounds} rounds, load average at the end {load}")
print(f"{'command':>10} {'median ms':>10} {'q1 ms':>8} {'q3 ms':>8}")
med = {}
for name in names:
    q1, m, q3 = statistics.quantiles(times[name], n=4)
    med[name] = statistics.median(times[name])
    print(f"{name:>10} {med[name]:10.1f} {q1:8.1f} {q3:8.1f}")
print(f"{'command':>10} {'median processor ms':>20} {'q1 ms':>8} {'q3 ms':>8}")
cpu_med = {}
for name in names:
    q1, m, q3 = statistics.quantiles(cpu[name], n=4)
    cpu_med[name] = statistics.median(cpu[name])
    print(f"{name:>10} {cpu_med[name]:20.1f} {q1:8.1f} {q3:8.1f}")
if base:
    print(f"korvex/base processor time {cpu_med['korvex'] / cpu_med['base']:.3f}")
print(f"korvex/awk {med['korvex'] / med['grep/awk']:.3f}")
if base:
    print(f"korvex/base {med['korvex'] / med['base']:.3f}")
if floor:
    print(f"korvex/floor {med['korvex'] / med['floor']:.3f}")
    if base:
        print(f"base/floor {med['base'] / med['floor']:.3f}")
EOF
