#!/bin/sh
# run_fuzz.sh -- runs one fuzz target: first every input that once crashed it, then fuzzing for a set time
#
# run_fuzz.sh <fuzz binary> <target name> <seconds> <work dir>
# New inputs go to <work dir>/corpus-<name> (the committed seeds are only read); a crash
# leaves its input in <work dir>/artifacts-<name>/ and fails the run.
set -eu
binary=$1
name=$2
seconds=$3
work=$4
here=$(cd "$(dirname "$0")" && pwd)
seeds=$here/corpus/$name
regressions=$here/regressions/$name
mkdir -p "$work/corpus-$name" "$work/artifacts-$name"
# Absolute paths: a target may change its working directory when it starts.
work=$(cd "$work" && pwd)
case $binary in /*) ;; *) binary=$(pwd)/$binary ;; esac

if [ -d "$regressions" ] && [ -n "$(ls -A "$regressions")" ]; then
  echo "== $name: replaying $(ls "$regressions" | wc -l) regression input(s)"
  "$binary" -runs=1 "$regressions"/*
fi

echo "== $name: fuzzing for $seconds s"
log=$work/$name.log
status=0
"$binary" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2560 -print_final_stats=1 \
  -artifact_prefix="$work/artifacts-$name/" "$work/corpus-$name" "$seeds" >"$log" 2>&1 || status=$?
tail -n 25 "$log"
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
echo "== $name: ${runs:-?} executions in $seconds s (${rate:-?} per second), exit status $status"
exit $status
