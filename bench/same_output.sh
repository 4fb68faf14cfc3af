#!/usr/bin/env bash
# Checks that two korvex binaries give the same bytes: console, exit status,
# TK_parameters.xy and the seven plot files, for both cell choices, on the
# bundled examples and on a made-up series of N files whose last entry names a
# missing file. Meant for changes to the fast path, which may change no output.
#
# Usage: bench/same_output.sh OLD_KORVEX NEW_KORVEX [N]   (N default 2000)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
[ $# -ge 2 ] || { sed -n '2,7p' "$0"; exit 2; }
old=$(realpath "$1")
new=$(realpath "$2")
n=${3:-2000}

scratch=$(mktemp -d "${TMPDIR:-/tmp}/korvex-same.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

python3 "$here/make_series.py" "$scratch/series" "$n"
cp "$scratch/series/series.lst" "$scratch/series/gap.lst"
echo "dx/not_there_dirax_cell.out  400.00" >> "$scratch/series/gap.lst"
cp -r "$here/../examples" "$scratch/examples"

# run BINARY FOLDER LIST CHOICE OUT: the run's console, status and files into OUT.
run() {
  mkdir -p "$5"
  (cd "$2" && rm -f TK_* && set +e
   printf '%s\n%s\nn\nn\nn\nn\nn\nn\nn\n' "$3" "$4" | "$1" > "$5/console"
   echo $? > "$5/status"
   cp TK_* "$5/" 2> /dev/null
   true)
}

failed=0
for series_case in "examples series.lst" "series series.lst" "series gap.lst"; do
  set -- $series_case
  for choice in 1 2; do
    run "$old" "$scratch/$1" "$2" "$choice" "$scratch/out/old"
    run "$new" "$scratch/$1" "$2" "$choice" "$scratch/out/new"
    if diff -r "$scratch/out/old" "$scratch/out/new" > /dev/null; then
      echo "same: $1/$2, choice $choice, status $(cat "$scratch/out/new/status")"
    else
      echo "DIFFERENT: $1/$2, choice $choice"
      diff -r "$scratch/out/old" "$scratch/out/new" | head -20
      failed=1
    fi
    rm -rf "$scratch/out"
  done
done
exit $failed
