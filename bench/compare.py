#!/usr/bin/env python3
"""Interleaved timing of two builds of the program on the same runs.

Runs each program on the same dialogue answers (or command-line arguments) in
turn, RUNS times, each in a fresh directory of its own, and prints for each
the median and the lower quartile of the wall time and of the CPU time (user
and system, the program and its threads) per run. Interleaving keeps a
change in the machine's load from favouring either side.

  bench/compare.py OLD NEW [--runs N] [--data FILE] [--args ARG...]

Without --args the dialogue is run on FILE (default: the copper foil) with
answers "FILE, 2, 1"; with --args the command line is run with those
arguments (FILE is not used).
"""
import argparse
import os
import resource
import shutil
import statistics
import subprocess
import tempfile
import time

here = os.path.dirname(os.path.abspath(__file__))
parser = argparse.ArgumentParser()
parser.add_argument("old")
parser.add_argument("new")
parser.add_argument("--runs", type=int, default=60)
parser.add_argument("--data", default=os.path.join(here, "..", "examples", "cu_foil.dat"))
parser.add_argument("--dir", default=None, help="where the runs write (default: a new temporary directory)")
parser.add_argument("--args", nargs=argparse.REMAINDER)
opts = parser.parse_args()

work = tempfile.mkdtemp(dir=opts.dir)
try:
    programs = {"old": os.path.abspath(opts.old), "new": os.path.abspath(opts.new)}
    data = os.path.abspath(opts.data)
    times = {k: ([], []) for k in programs}
    for i in range(opts.runs):
        for name, program in (programs.items() if i % 2 == 0 else reversed(list(programs.items()))):
            run_dir = os.path.join(work, name)
            os.makedirs(run_dir, exist_ok=True)
            before = resource.getrusage(resource.RUSAGE_CHILDREN)
            start = time.perf_counter()
            if opts.args:
                subprocess.run([program] + opts.args, cwd=run_dir, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, check=False)
            else:
                subprocess.run([program], cwd=run_dir, input=("%s\n2\n1\n" % data).encode(),
                               stdout=subprocess.DEVNULL, check=True)
            wall = time.perf_counter() - start
            after = resource.getrusage(resource.RUSAGE_CHILDREN)
            cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
            times[name][0].append(wall * 1000)
            times[name][1].append(cpu * 1000)
    for name in programs:
        wall, cpu = times[name]
        q = lambda v: statistics.quantiles(v, n=4)[0]
        print("%-4s wall median %7.2f ms (lower quartile %7.2f)   cpu median %7.2f ms (lower quartile %7.2f)"
              % (name, statistics.median(wall), q(wall), statistics.median(cpu), q(cpu)))
finally:
    shutil.rmtree(work)
