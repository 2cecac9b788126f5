#!/bin/sh
# Times full enumeration as a user runs it (whole process, output to
# /dev/null): the admissible sets of a framework, by Zelkovant and by clingo
# with bench/admissible.lp printing every model; then the 2^20 stable
# extensions of 20 mutually attacking pairs, and the first ten sets of the
# framework (--enum=10). Reports wall and user seconds and peak resident
# memory of each run.
#
#   bench/enumeration.sh [framework.apx] [zelkovant binary]
#
# Without a framework, the 4 x 15 grid written by `genaf grid 4 15 1` (built
# by the bench preset) is used: 3,121,096 admissible sets, width 4. The
# binary defaults to build/release/zelkovant of this source tree. Needs
# clingo (Debian package gringo) and GNU time (package time). A missing
# input, tool or binary, or a run that fails, ends the script with status 1
# and a message on standard error; no figures are printed for a failed run.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() {
  echo "bench/enumeration.sh: $*" >&2
  exit 1
}

solver=${2:-$root/build/release/zelkovant}
[ -x "$solver" ] || fail "no Zelkovant binary at $solver (build it with: cmake --workflow --preset release)"
[ -x /usr/bin/time ] || fail "GNU time (/usr/bin/time) is not installed (Debian package time)"
command -v clingo > /dev/null || fail "clingo is not installed (Debian package gringo)"

if [ $# -ge 1 ]; then
  framework=$1
  [ -f "$framework" ] && [ -r "$framework" ] || fail "cannot read the framework $framework"
else
  genaf=$root/build/bench/bench/genaf
  [ -x "$genaf" ] || fail "no framework given and no generator at $genaf (build it with: cmake --workflow --preset bench)"
  framework=$scratch/grid-4x15.apx
  "$genaf" grid 4 15 1 > "$framework" || fail "$genaf could not write the default framework"
fi

i=1
while [ "$i" -le 20 ]; do
  echo "arg(a$i). arg(b$i). att(a$i,b$i). att(b$i,a$i)."
  i=$((i + 1))
done > "$scratch/pairs20.apx"

# measure LABEL EXPECTED_STATUS COMMAND...: runs the command and prints one
# line of figures; ends the script when its status differs from the expected
# one or, for Zelkovant (expected status 0), when it wrote to standard error
# (a syntax error leaves part of the framework unsolved).
measure() {
  label=$1
  expected=$2
  shift 2
  status=0
  /usr/bin/time -f "%e %U %M" -o "$scratch/time" "$@" > /dev/null 2> "$scratch/err" || status=$?
  if [ "$status" -ne "$expected" ]; then
    echo "bench/enumeration.sh: $label failed with status $status (expected $expected):" >&2
    head -n 5 "$scratch/err" >&2
    exit 1
  fi
  if [ "$expected" -eq 0 ] && [ -s "$scratch/err" ]; then
    echo "bench/enumeration.sh: $label reported an error:" >&2
    head -n 5 "$scratch/err" >&2
    exit 1
  fi
  tail -n 1 "$scratch/time" | awk -v label="$label" \
    '{ printf "%-40s wall %7.2f s  user %7.2f s  peak %7.1f MB\n", label, $1, $2, $3 / 1024 }'
}

name=$(basename "$framework")
measure "zelkovant admissible $name" 0 "$solver" -r 1 -f "$framework"
# clingo exits with 30 when it has found every model.
measure "clingo admissible $name" 30 clingo -n 0 "$here/admissible.lp" "$framework"
measure "zelkovant stable 20 mutual pairs" 0 "$solver" -r 1 -s stable -f "$scratch/pairs20.apx"
measure "zelkovant --enum=10 $name" 0 "$solver" -r 1 --enum=10 -f "$framework"
