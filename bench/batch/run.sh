#!/usr/bin/env bash
# Times `valdenta-cli batch` end to end on generated hourly weather: wall clock
# with hyperfine, peak resident memory with /usr/bin/time.
#   run.sh GENERATOR CLI WORKDIR [ROWS] [THREADS]   (defaults: 1000000 rows, 2 threads)
set -euo pipefail
gen=$1 cli=$2 work=$3 rows=${4:-1000000} threads=${5:-2}

mkdir -p "$work"
input=$work/weather-$rows.csv
output=$work/out.csv
[[ -s $input ]] || "$gen" "$rows" 1000 >"$input"
command="$cli batch $input --threads $threads -o $output"

hyperfine --warmup 1 --runs 5 --export-csv "$work/batch.csv" "$command"
awk -F, -v rows="$rows" 'NR == 2 { printf "%d rows in %.3f s (mean): %.0f rows/s\n", rows, $2, rows / $2 }' \
  "$work/batch.csv"
/usr/bin/time -f "peak RSS %M KiB, %e s wall, %U s user, %S s system" $command
