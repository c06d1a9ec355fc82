#!/usr/bin/env bash
# Prints one table of the editor's costs against the size of the diagram, on the generated diagrams
# of bench/generated_diagram.h (N entities, 4 property and 2 method rows each, N/2 relations, N/4
# events, three pages, every object on two of them):
#   scripts/bench.sh                 N = 1000 5000 20000 100000
#   scripts/bench.sh 5000 20000      the sizes given
# Times are medians of three runs of the release build (build/release), in milliseconds unless the
# column says otherwise; "cli" columns are whole runs of the program, process start included, and
# "peak MB" the larger of their two peak resident sizes. QUORVANE_BENCH_BUILD=folder uses a release
# build already made there instead of building build/release.
set -euo pipefail
cd "$(dirname "$0")/.."

sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1000 5000 20000 100000)

bin=${QUORVANE_BENCH_BUILD:-}
if [ -z "$bin" ]; then
  scripts/setup.sh
  scripts/build.sh release quorvane quorvane_bench_editor quorvane_generate >/dev/null
  bin=build/release
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen

# Median of the wall times (seconds) and the largest peak resident size (kB) of three runs.
run_cli() {
  local out=$1 in=$2 times=() peak=0
  for _ in 1 2 3; do
    if ! /usr/bin/time -f "%e %M" -o "$work/time" "$bin/src/quorvane" --export="$out" "$in" >/dev/null 2>"$work/err"; then
      echo "quorvane --export=$out failed:" >&2
      cat "$work/err" >&2
      exit 1
    fi
    read -r seconds kilobytes <"$work/time"
    times+=("$seconds")
    [ "$kilobytes" -gt "$peak" ] && peak=$kilobytes
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n 2p | tr '\n' ' '
  echo "$peak"
}

columns=(Load Reload Save PageSwitch FullPaint ViewportPaint DrawToBitmap BitmapExport MousePress RemoveEntity)
printf '%-7s' N
printf ' %13s' load reload save page-switch full-paint view-paint draw-bitmap bitmap-export "press (us)" "remove (us)" \
  "cli .ERD (s)" "cli .bmp (s)" "peak MB"
echo
for n in "${sizes[@]}"; do
  file=$("$bin/bench/quorvane_generate" "$n" "$work/Generated$n")
  read -r erdSeconds erdPeak < <(run_cli "$work/out.ERD" "$file")
  read -r bmpSeconds bmpPeak < <(run_cli "$work/out.bmp" "$file")
  "$bin/bench/quorvane_bench_editor" --benchmark_filter="/$n(/|\$)" --benchmark_repetitions=3 \
    --benchmark_report_aggregates_only=true --benchmark_min_time=0.2 --benchmark_format=csv \
    >"$work/bench.csv" 2>/dev/null
  printf '%-7s' "$n"
  for column in "${columns[@]}"; do
    # name,iterations,real_time,cpu_time,time_unit,... for the row "Name/N..._median".
    value=$(awk -F, -v want="\"$column/$n" 'index($1, want) == 1 && $1 ~ /_median"$/ { print $3 }' "$work/bench.csv")
    printf ' %13.3g' "${value:-0}"
  done
  peak=$((erdPeak > bmpPeak ? erdPeak : bmpPeak))
  printf ' %13s %13s %13d\n' "$erdSeconds" "$bmpSeconds" $((peak / 1024))
done
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), load average $(cut -d' ' -f1-3 /proc/loadavg)"
