#!/usr/bin/env bash
# Prints one table of the editor's costs against the size of the diagram, on the generated diagrams
# of bench/generated_diagram.h (N entities, 4 property and 2 method rows each, N/2 relations, N/4
# events, three pages, every object on two of them):
#   scripts/bench.sh                 N = 1000 5000 20000 100000
#   scripts/bench.sh 5000 20000      the sizes given
# Every figure is the least of its runs (three repetitions of each benchmark, three runs of the
# program), over QUORVANE_BENCH_ROUNDS rounds through all sizes (2 when not given): on a shared
# machine other work only ever adds time, and a slow minute then spoils no size alone. Times are in
# milliseconds unless the column says otherwise; "cli" columns are whole runs of the program,
# process start included, and "peak MB" the largest of their peak resident sizes.
# QUORVANE_BENCH_BUILD=folder uses a release build already made there instead of build/release.
set -euo pipefail
cd "$(dirname "$0")/.."

sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1000 5000 20000 100000)
rounds=${QUORVANE_BENCH_ROUNDS:-2}

bin=${QUORVANE_BENCH_BUILD:-}
if [ -z "$bin" ]; then
  scripts/setup.sh
  scripts/build.sh release quorvane quorvane_bench_editor quorvane_generate >/dev/null
  bin=build/release
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen

# The least of the wall times (seconds) and the largest peak resident size (kB) of three runs.
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
  printf '%s\n' "${times[@]}" | sort -n | head -n 1 | tr '\n' ' '
  echo "$peak"
}

# The smaller of two numbers as awk reads them (the first when the second is empty).
least() { awk -v a="$1" -v b="$2" 'BEGIN { print (b == "" || a + 0 <= b + 0) ? a : b }'; }

columns=(Load Reload Save PageSwitch FullPaint ViewportPaint DrawToBitmap BitmapExport MousePress RemoveEntity)
declare -A best
for ((round = 1; round <= rounds; round++)); do
  for n in "${sizes[@]}"; do
    file="$work/Generated$n.ERD"
    [ -f "$file" ] || file=$("$bin/bench/quorvane_generate" "$n" "$work/Generated$n")
    read -r erdSeconds erdPeak < <(run_cli "$work/out.ERD" "$file")
    read -r bmpSeconds bmpPeak < <(run_cli "$work/out.bmp" "$file")
    best[$n,erd]=$(least "$erdSeconds" "${best[$n,erd]:-}")
    best[$n,bmp]=$(least "$bmpSeconds" "${best[$n,bmp]:-}")
    peak=$((erdPeak > bmpPeak ? erdPeak : bmpPeak))
    [ "$peak" -gt "${best[$n,peak]:-0}" ] && best[$n,peak]=$peak
    "$bin/bench/quorvane_bench_editor" --benchmark_filter="/$n(/|\$)" --benchmark_repetitions=3 \
      --benchmark_report_aggregates_only=true --benchmark_min_time=0.2 --benchmark_format=csv \
      >"$work/bench.csv" 2>/dev/null
    for column in "${columns[@]}"; do
      # name,iterations,real_time,cpu_time,time_unit,... for the row "Name/N..._min".
      value=$(awk -F, -v want="\"$column/$n" 'index($1, want) == 1 && $1 ~ /_min"$/ { print $3 }' "$work/bench.csv")
      best[$n,$column]=$(least "${value:-0}" "${best[$n,$column]:-}")
    done
  done
done

printf '%-7s' N
printf ' %13s' load reload save page-switch full-paint view-paint draw-bitmap bitmap-export "press (us)" "remove (us)" \
  "cli .ERD (s)" "cli .bmp (s)" "peak MB"
echo
for n in "${sizes[@]}"; do
  printf '%-7s' "$n"
  for column in "${columns[@]}"; do printf ' %13.3g' "${best[$n,$column]}"; done
  printf ' %13s %13s %13d\n' "${best[$n,erd]}" "${best[$n,bmp]}" $((best[$n,peak] / 1024))
done
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), load average $(cut -d' ' -f1-3 /proc/loadavg)"
