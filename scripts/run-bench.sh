#!/bin/sh
# Runs every benchmark program of the build: only regular executable files
# (CMake also leaves bench_*_autogen folders there). The benchmarks write
# their scratch files under a temporary folder of their own, removed at the
# end, so nothing is left behind in /tmp.
set -e
BUILD=${1:-build}
SCRATCH=$(mktemp -d "${TMPDIR:-/tmp}/keld-bench.XXXXXX")
trap 'rm -rf "$SCRATCH"' EXIT INT TERM
export TMPDIR="$SCRATCH"
for b in "$BUILD"/bench/bench_*; do
  [ -f "$b" ] && [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b"
done
