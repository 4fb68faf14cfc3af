#!/bin/sh
# Typesets a manual page as man shows it (utf8) and as groff prints it (ps),
# every warning on; fails on any warning, showing it.
#
#   groff_clean.sh GROFF PAGE
groff=$1
page=$2
for device in utf8 ps; do
  if ! out=$("$groff" -ww -z -man -T"$device" "$page" 2>&1) || [ -n "$out" ]; then
    printf '%s (-T%s):\n%s\n' "$page" "$device" "$out"
    exit 1
  fi
done
