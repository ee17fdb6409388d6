"""Reduces a series of spectra on a Dask cluster and prints its summary table.

    python3 dask_series.py [--scheduler ADDRESS | --workers N] FILE...

With --scheduler, the spectra go to the workers of a running cluster (started
with `dask-scheduler` and `dask-worker ADDRESS` on the machines that see the
files); otherwise to a cluster of N worker processes on this machine. Each
worker reduces its files with xasreduce.reduce_file; the results come back
small (the report's values, what each spectrum was reduced from), and the
summary printed is the table the command line prints for the same files, one
row per file in the order given, refused files included.
"""

import argparse
import logging
import sys

from distributed import Client, LocalCluster

import xasreduce


def reduce_series(client, paths):
    """A Result or a Refused for each path, in order, reduced on the cluster."""
    futures = client.map(xasreduce.reduce_file, paths)
    items = []
    for future in futures:
        try:
            items.append(future.result())
        except xasreduce.Refused as refused:
            items.append(refused)
    return items


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--scheduler", help="the address of a running Dask scheduler")
    parser.add_argument("--workers", type=int, default=2,
                        help="worker processes of a cluster on this machine (default 2)")
    parser.add_argument("files", nargs="+", metavar="FILE")
    args = parser.parse_args(argv)
    if args.scheduler:
        with Client(args.scheduler) as client:
            items = reduce_series(client, args.files)
    else:
        # A refused file is an exception on its worker: the workers' logs
        # would repeat each refusal the summary gives.
        with LocalCluster(n_workers=args.workers, threads_per_worker=1, processes=True,
                          dashboard_address=None, silence_logs=logging.ERROR) as cluster, Client(cluster) as client:
            items = reduce_series(client, args.files)
    sys.stdout.write(xasreduce.summary(items))
    return 1 if any(isinstance(item, xasreduce.Refused) for item in items) else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
