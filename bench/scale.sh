#!/bin/sh
# How korvex-expansion's run and korvex's grow with the length of the series,
# in one run so that the machine's load falls on every command alike: for each
# N, a table of N rows (make_expansion_table.py; a whitespace table past
# 200 000 rows, which korvex's layout would take past the 64 MiB a cell file
# may hold), then awk summing one column of the same file, korvex-expansion's
# text report, JSON, and pictures and page, and korvex reading the table from
# a buffer file; the ratios to awk, the growth from each N to the next, and
# the peak memory at each N (/usr/bin/time). Times are the least of RUNS runs,
# elapsed and processor (user + system) seconds; a run that fails (a status
# above 4) stops the script.
#
# usage: bench/scale.sh [-e KORVEX_EXPANSION] [-k KORVEX] [-r RUNS] [N ...]
#        (default N: 10000 100000 1000000)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
expansion=$here/../build/release/korvex-expansion
korvex=$here/../build/release/korvex
runs=3
while getopts e:k:r: option; do
  case $option in
    e) expansion=$OPTARG ;;
    k) korvex=$OPTARG ;;
    r) runs=$OPTARG ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
[ $# -gt 0 ] || set -- 10000 100000 1000000
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One run of the command: "ELAPSED CPU PEAK_KB" (elapsed to the millisecond,
# processor time to the hundredth as time(1) gives it); the script ends when
# the command fails.
once() {
  start=$(date +%s.%N)
  if ! /usr/bin/time -o "$work/time" -f '%e %U %S %M %x' "$@" > /dev/null 2> "$work/err"; then
    [ "$(tail -n 1 "$work/time" | awk '{ print $5 }')" -le 4 ] || {
      echo "failed: $*" >&2
      cat "$work/err" >&2
      exit 1
    }
  fi
  end=$(date +%s.%N)
  tail -n 1 "$work/time" | awk -v e="$(echo "$end - $start" | bc)" '{ printf "%.3f %.2f %s\n", e, $2 + $3, $4 }' 
}

# The least elapsed and the least processor seconds of RUNS runs, and the
# peak memory in MB: "ELAPSED CPU MB".
best() {
  i=0
  : > "$work/runs"
  while [ $i -lt "$runs" ]; do
    once "$@" >> "$work/runs"
    i=$((i + 1))
  done
  sort -n "$work/runs" | awk 'NR == 1 { e = $1 } { if (c == "" || $2 < c) c = $2; if ($3 > m) m = $3 }
    END { printf "%s %s %.0f\n", e, c, m / 1024 }'
}

printf '%8s | %-15s | %-15s | %-15s | %-15s | %-15s | %s\n' N awk text json "svg+html" korvex \
  "text/awk (elapsed, cpu)"
printf '%8s | %-15s | %-15s | %-15s | %-15s | %-15s |\n' "" "s  cpu  MB" "s  cpu  MB" \
  "s  cpu  MB" "s  cpu  MB" "s  cpu  MB"
for n in "$@"; do
  table=$work/t$n.xy
  if [ "$n" -gt 200000 ]; then free=--free; else free=; fi
  python3 "$here/make_expansion_table.py" $free "$n" > "$table"
  printf 'Series of %s rows\nT\n%s 100\n' "$n" "$table" > "$work/list"
  mkdir -p "$work/k"
  a=$(best awk '{ s += $2 } END { print s }' "$table")
  t=$(best "$expansion" "$table")
  j=$(best "$expansion" --format json "$table")
  p=$(best "$expansion" --svg "$work/p" --html "$work/p.html" "$table")
  k=$(best "$korvex" -c conventional -q -o "$work/k" "$work/list")
  page=$(wc -c < "$work/p.html")
  printf '%8s | %-15s | %-15s | %-15s | %-15s | %-15s | %s  (page %s bytes)\n' "$n" "$a" "$t" \
    "$j" "$p" "$k" "$(echo "$a $t" | awk '{ printf "%.1f, %.1f", $4 / $1, $5 / ($2 > 0 ? $2 : 0.01) }')" \
    "$page"
  echo "$n $t $j $p $k" >> "$work/times"
  rm -rf "$table" "$work/k" "$work/p"*
done
# The growth from each N to the next, of each run's elapsed and processor
# time (10 is linear for 10x the rows).
awk 'NR > 1 { printf "%s -> %s rows: text x%.1f (cpu x%.1f), json x%.1f, svg+html x%.1f, korvex x%.1f\n",
                     n, $1, $2 / t, $3 / tc, $5 / j, $8 / p, $11 / k }
     { n = $1; t = $2; tc = $3; j = $5; p = $8; k = $11 }' "$work/times"
