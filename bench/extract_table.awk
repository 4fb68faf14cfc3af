# The parameter table as a user would pull it out by hand: grep picks the input-cell,
# conventional-cell and volume lines of every listed DIRAX file (grep -H, so each line
# comes prefixed by its file name), and this program pairs them with the temperatures
# of the buffer file and prints one row per file in the table's column layout
# (input cell for the six parameters, as korvex with the answer 1).
#
#   xargs grep -H -E '^ *(\{Input cell|Conventional :|Volume)' < names.txt |
#     awk -f extract_table.awk series.lst - > table.xy
#
# Values go through doubles, not single-precision reals, so a last decimal can differ
# from korvex's now and then.

function flush_row() {
  if (file != "" && a >= 1.0e-4)
    printf "%6.2f%12.5f%12.5f%12.5f%12.3f%12.3f%12.3f%13.3f  %-12.12s%4s\r\n",
           temp[file], a, b, c, al, be, ga, vol, sys, lat
  a = b = c = al = be = ga = vol = 0
}

# The buffer file: line 1 the title, line 2 ignored, then name and temperature.
NR == FNR {
  if (FNR > 2) temp[$1] = $2
  next
}

{
  colon = index($0, ":")
  name = substr($0, 1, colon - 1)
  line = substr($0, colon + 1)
  if (name != file) {
    flush_row()
    file = name
  }
  sub(/^ +/, "", line)
  if (substr(line, 1, 11) == "{Input cell") {
    # The value after each "=" is the numeric prefix of the text that follows it.
    split(line, f, "=")
    a = f[2] + 0; b = f[3] + 0; c = f[4] + 0
    al = f[5] + 0; be = f[6] + 0; ga = f[7] + 0
  } else if (substr(line, 1, 14) == "Conventional :") {
    n = split(line, w, " ")
    lat = w[n]
  } else if (substr(line, 1, 6) == "Volume") {
    vol = substr(line, index(line, ":") + 1) + 0
    s = substr(line, index(line, "System:") + 7)
    sub(/;[^;]*$/, "", s)
    sub(/^ +/, "", s)
    sys = s
  }
}

END { flush_row() }
