#!/usr/bin/env bash
# A series of N copies of the copper foil: reduced in one call of the command
# line, and, for comparison, by N runs of the dialogue in a shell loop (each
# given its own answers and directory, as a user's loop would).
# Usage: bench/series.sh PROGRAM [N...]   (default N: 200 and 1000)
set -euo pipefail
bin=$(realpath "$1")
shift
counts=("$@")
[ ${#counts[@]} -gt 0 ] || counts=(200 1000)
top=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
seconds() { awk -v s="$1" -v e="$2" 'BEGIN { printf "%.2f", (e - s) / 1e6 }'; }
for n in "${counts[@]}"; do
  rm -rf "$work/data" "$work/one" "$work/loop"
  mkdir -p "$work/data" "$work/loop"
  for ((i = 1; i <= n; i++)); do cp "$top/examples/cu_foil.dat" "$work/data/cu$i.dat"; done
  start=${EPOCHREALTIME/./}
  "$bin" -q -o "$work/one" "$work"/data/cu*.dat > "$work/summary.tsv"
  end=${EPOCHREALTIME/./}
  one=$(seconds "$start" "$end")
  start=${EPOCHREALTIME/./}
  for ((i = 1; i <= n; i++)); do
    (cd "$work/loop" && printf '%s\n2\n0\n' "$work/data/cu$i.dat" | "$bin" > "cu$i.log")
  done
  end=${EPOCHREALTIME/./}
  loop=$(seconds "$start" "$end")
  awk -v n="$n" -v a="$one" -v b="$loop" 'BEGIN {
    printf "%5d copper spectra: one call %6.2f s (%.2f ms each), dialogue loop %6.2f s: %.1f times faster\n",
           n, a, 1000 * a / n, b, b / a }'
done
