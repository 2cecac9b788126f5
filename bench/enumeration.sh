#!/bin/sh
# Times full enumeration as a user runs it (whole process, output to
# /dev/null): the admissible sets of a given framework, by Zelkovant and, when
# clingo is installed, by clingo with bench/admissible.lp printing every model;
# then the 2^20 stable extensions of 20 mutually attacking pairs, and the first
# ten sets of the given framework (--enum=10). Reports wall and user seconds
# and peak resident memory of each run.
#
#   bench/enumeration.sh [framework.apx] [zelkovant binary]
# Defaults: ../shared/data/enum-4m.apx and build/release/zelkovant, from the
# source directory.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
framework=${1:-../shared/data/enum-4m.apx}
solver=${2:-build/release/zelkovant}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

i=1
while [ "$i" -le 20 ]; do
  echo "arg(a$i). arg(b$i). att(a$i,b$i). att(b$i,a$i)."
  i=$((i + 1))
done > "$scratch/pairs20.apx"

# Runs the command after the label; prints one line of figures.
measure() {
  label=$1
  shift
  /usr/bin/time -f "%e %U %M" -o "$scratch/time" "$@" > /dev/null || true
  tail -n 1 "$scratch/time" | awk -v label="$label" \
    '{ printf "%-40s wall %7.2f s  user %7.2f s  peak %7.1f MB\n", label, $1, $2, $3 / 1024 }'
}

measure "zelkovant admissible $(basename "$framework")" "$solver" -r 1 -f "$framework"
if command -v clingo > /dev/null; then
  # clingo exits with 30 when it found every model.
  measure "clingo admissible $(basename "$framework")" clingo -n 0 "$here/admissible.lp" "$framework"
fi
measure "zelkovant stable 20 mutual pairs" "$solver" -r 1 -s stable -f "$scratch/pairs20.apx"
measure "zelkovant --enum=10 $(basename "$framework")" "$solver" -r 1 --enum=10 -f "$framework"
