#!/bin/sh
# Times the decomposition road and counting on large generated frameworks as
# a user runs them (whole process, output discarded), optionally side by side
# with a reference binary, the two run in turn so that both see the same
# machine: user CPU seconds and peak resident memory, the median of the runs,
# and with a reference the ratio of the medians.
#
#   bench/road.sh [zelkovant binary] [reference binary]
#
# The runs: the width (-t) of the 3 x 333,334 grid, of random frameworks of
# 10,000 and 20,000 arguments with three attacks per argument, and of 2,000
# arguments with 50 hubs of degree 100; admissible and stable counts on the
# grid; the admissible count of a path of 500,000 arguments and the stable
# count of a tree of 10^6 arguments. Every run uses seed 1. RUNS (default 3)
# sets the number of runs of each binary; ONLY (a pattern) keeps the rows
# whose label matches it.
#
# The frameworks are written by genaf (built by the bench preset). The binary
# defaults to build/release/zelkovant of this source tree. Needs GNU time
# (package time). A missing tool or binary, or a run that fails or writes to
# standard error, ends the script with status 1 and a message on standard
# error.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() {
  echo "bench/road.sh: $*" >&2
  exit 1
}

solver=${1:-$root/build/release/zelkovant}
reference=${2:-}
runs=${RUNS:-3}
only=${ONLY:-}
[ -x "$solver" ] || fail "no Zelkovant binary at $solver (build it with: cmake --workflow --preset release)"
[ -z "$reference" ] || [ -x "$reference" ] || fail "no reference binary at $reference"
[ -x /usr/bin/time ] || fail "GNU time (/usr/bin/time) is not installed (Debian package time)"
genaf=$root/build/bench/bench/genaf
[ -x "$genaf" ] || fail "no generator at $genaf (build it with: cmake --workflow --preset bench)"

"$genaf" grid 3 333334 1 > "$scratch/grid.apx"
"$genaf" random 10000 30000 > "$scratch/random-10000.apx"
"$genaf" random 20000 60000 > "$scratch/random-20000.apx"
"$genaf" hubs 2000 50 100 > "$scratch/hubs.apx"
"$genaf" path 500000 > "$scratch/path.apx"
"$genaf" tree 1000000 > "$scratch/tree.apx"

# once TAG BINARY ARGS...: one run; appends "user peak_kB" to
# $scratch/figures.TAG.
once() {
  tag=$1
  shift
  status=0
  /usr/bin/time -f "%U %M" -o "$scratch/time" "$@" > /dev/null 2> "$scratch/err" || status=$?
  if [ "$status" -ne 0 ] || [ -s "$scratch/err" ]; then
    echo "bench/road.sh: $* failed with status $status:" >&2
    head -n 5 "$scratch/err" >&2
    exit 1
  fi
  tail -n 1 "$scratch/time" >> "$scratch/figures.$tag"
}

# median FILE COLUMN: the median of one column.
median() {
  sort -n -k "$2" "$1" | awk -v c="$2" '{ v[NR] = $c } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

row() {
  label=$1
  shift
  if [ -n "$only" ]; then
    case $label in *$only*) ;; *) return 0 ;; esac
  fi
  rm -f "$scratch/figures.a" "$scratch/figures.b"
  i=0
  while [ "$i" -lt "$runs" ]; do
    once a "$solver" -d -r 1 "$@"
    [ -z "$reference" ] || once b "$reference" -d -r 1 "$@"
    i=$((i + 1))
  done
  user=$(median "$scratch/figures.a" 1)
  peak=$(median "$scratch/figures.a" 2)
  if [ -z "$reference" ]; then
    printf '%-34s user %7.2f s  peak %7.1f MB\n' "$label" "$user" "$(echo "$peak" | awk '{ print $1 / 1024 }')"
  else
    ruser=$(median "$scratch/figures.b" 1)
    rpeak=$(median "$scratch/figures.b" 2)
    echo "$label $user $peak $ruser $rpeak" | awk '{
      printf "%-34s user %7.2f s  peak %7.1f MB   reference %7.2f s %7.1f MB   ratio %5.2f / %5.2f\n",
        $1, $2, $3 / 1024, $4, $5 / 1024, ($4 > 0 ? $2 / $4 : 0), ($5 > 0 ? $3 / $5 : 0) }'
  fi
}

# Labels are single words: the figures line is split on blanks.
row width-grid -t -f "$scratch/grid.apx"
row width-random-10000 -t -f "$scratch/random-10000.apx"
row width-random-20000 -t -f "$scratch/random-20000.apx"
row width-hubs -t -f "$scratch/hubs.apx"
row admissible-count-grid --count -f "$scratch/grid.apx"
row stable-count-grid -s stable --count -f "$scratch/grid.apx"
row admissible-count-path --count -f "$scratch/path.apx"
row stable-count-tree -s stable --count -f "$scratch/tree.apx"
