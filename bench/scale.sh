#!/bin/sh
# How korvex-expansion's run grows with the length of the series, in one run
# so that the machine's load falls on every command alike: for each N, a table
# of N rows (make_expansion_table.py), the run (text report, JSON, and the
# pictures and page) against awk summing one column of the same file; then the
# ratios 10^4 -> 10^5 and the peak memory at each N.
#
# usage: bench/scale.sh [-e KORVEX_EXPANSION] [-r RUNS] [N ...]   (default 10000 100000 1000000)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
expansion=$here/../build/release/korvex-expansion
runs=3
while getopts e:r: option; do
  case $option in
    e) expansion=$OPTARG ;;
    r) runs=$OPTARG ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
[ $# -gt 0 ] || set -- 10000 100000 1000000
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The least elapsed seconds of `runs` runs of the command.
best() {
  least=
  i=0
  while [ $i -lt "$runs" ]; do
    start=$(date +%s.%N)
    "$@" > /dev/null 2>&1 || true
    end=$(date +%s.%N)
    took=$(echo "$end - $start" | bc)
    if [ -z "$least" ] || [ "$(echo "$took < $least" | bc)" = 1 ]; then least=$took; fi
    i=$((i + 1))
  done
  echo "$least"
}

# Peak resident memory in MB of one run.
peak() {
  /usr/bin/time -f %M "$@" 2>&1 > /dev/null | tail -1 | awk '{printf "%.0f", $1 / 1024}'
}

printf '%9s %9s %9s %9s %9s %7s %7s %9s\n' N awk text json "svg+html" text/awk json/awk "MB peak"
for n in "$@"; do
  table=$work/t$n.xy
  python3 "$here/make_expansion_table.py" "$n" > "$table"
  a=$(best awk '{ s += $2 } END { print s }' "$table")
  t=$(best "$expansion" "$table")
  j=$(best "$expansion" --format json "$table")
  p=$(best "$expansion" --svg "$work/p" --html "$work/p.html" "$table")
  m=$(peak "$expansion" --svg "$work/p" --html "$work/p.html" "$table")
  page=$(wc -c < "$work/p.html")
  printf '%9s %9.3f %9.3f %9.3f %9.3f %7.1f %7.1f %9s  (page %s bytes)\n' "$n" "$a" "$t" "$j" "$p" \
    "$(echo "$t / $a" | bc -l)" "$(echo "$j / $a" | bc -l)" "$m" "$page"
  echo "$n $t $j $p" >> "$work/times"
  rm -f "$table"
done
# The growth from each N to the next, of each run (10 is linear for 10x the rows).
awk 'NR > 1 { printf "%s -> %s rows: text x%.1f, json x%.1f, svg+html x%.1f\n", n, $1, $2 / t, $3 / j, $4 / p }
     { n = $1; t = $2; j = $3; p = $4 }' "$work/times"
