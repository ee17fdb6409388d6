#!/usr/bin/env bash
# Wall time of whole runs of the program, as a user starts it: the median and
# the fastest of repeated runs on the full-size example and on the copper foil.
# Usage: bench/wall.sh PROGRAM [RUNS]   (times in microseconds from bash's clock,
# so that no timing process of its own is counted)
set -euo pipefail
bin=$(realpath "$1")
runs=${2:-31}
top=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
for data in ni_synth_15000 cu_foil; do
  printf '%s\n2\n1\n' "$top/examples/$data.dat" > answers
  times=()
  for ((i = 0; i < runs; i++)); do
    start=${EPOCHREALTIME/./}
    "$bin" < answers > /dev/null
    end=${EPOCHREALTIME/./}
    times+=($((end - start)))
  done
  sorted=($(printf '%s\n' "${times[@]}" | sort -n))
  median=${sorted[$((runs / 2))]}
  awk -v d="$data" -v n="$runs" -v m="$median" -v f="${sorted[0]}" \
    'BEGIN { printf "%-16s whole run, %d runs: median %6.1f ms, fastest %6.1f ms\n", d, n, m / 1000, f / 1000 }'
done
