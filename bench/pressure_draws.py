#!/usr/bin/python3
"""Times the draws of korvex-expansion --pressure against the same cells as a
temperature series, in turn, round after round:

    pressure_draws.py [-b BINARY] [-r ROUNDS] [-n POINTS] [-d DRAWS]

The series is make_pressure_table.py's with cell SUs (`sus`), POINTS points
(default 15); its twin takes each pressure p as the temperature 100 + 25 p K,
the cells unchanged. Each round runs both (the order alternating), each with
--draws DRAWS (default 2000) and --format json, and takes the processor time
(user and system) of the run from the kernel's account of the child
(os.wait4). Prints the load average before and after, the median and
quartiles of each, and the median of the per-round ratios.
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile

here = os.path.dirname(os.path.abspath(__file__))
parser = argparse.ArgumentParser()
parser.add_argument("-b", default=os.path.join(here, "..", "build", "release", "korvex-expansion"))
parser.add_argument("-r", type=int, default=20)
parser.add_argument("-n", type=int, default=15)
parser.add_argument("-d", type=int, default=2000)
args = parser.parse_args()


def cpu_seconds(argv, cwd):
    with open(os.devnull, "wb") as null:
        child = subprocess.Popen(argv, cwd=cwd, stdout=null, stderr=null)
        _, status, usage = os.wait4(child.pid, 0)
    if os.waitstatus_to_exitcode(status) not in (0, 4):
        sys.exit("pressure_draws: %s failed" % " ".join(argv))
    return usage.ru_utime + usage.ru_stime


with tempfile.TemporaryDirectory() as scratch:
    table = subprocess.run([sys.executable, os.path.join(here, "make_pressure_table.py"),
                            str(args.n), "sus"], check=True, capture_output=True, text=True).stdout
    rows = [line.split() for line in table.splitlines() if not line.startswith("#")]
    with open(os.path.join(scratch, "p.tsv"), "w") as f:
        f.write(table)
    with open(os.path.join(scratch, "t.tsv"), "w") as f:
        f.write("# the same cells against temperature, K\n")
        for r in rows:
            f.write(" ".join(["%.4f" % (100 + 25 * float(r[0])), r[1]] + r[2:]) + "\n")
    common = [os.path.abspath(args.b), "--format", "json", "--draws", str(args.d)]
    runs = {"pressure": common + ["--pressure", "p.tsv"], "temperature": common + ["t.tsv"]}
    print("load average before: %.2f %.2f %.2f" % os.getloadavg())
    times = {name: [] for name in runs}
    for i in range(args.r):
        for name in (list(runs) if i % 2 == 0 else list(reversed(runs))):
            times[name].append(cpu_seconds(runs[name], scratch))
    print("load average after:  %.2f %.2f %.2f" % os.getloadavg())
    for name, t in times.items():
        q = statistics.quantiles(t, n=4)
        print("%-11s median %.4f s  quartiles %.4f %.4f  (%d runs)" %
              (name, statistics.median(t), q[0], q[2], len(t)))
    ratios = [p / t for p, t in zip(times["pressure"], times["temperature"])]
    print("pressure / temperature, median of the rounds' ratios: %.2f" % statistics.median(ratios))
