#!/usr/bin/env bash
# Keystroke, start and close times of Filvex.exe under Wine as a user meets
# them, beside the floor of the same measurement (a minimal window of the same
# shape), over a generated list of a million entries (100,000 folders and
# 900,000 files, bench/synthetic_list.h), by the shared timing tool
# (LATENCY_TOOL, default /work/shared/latency/run.sh).
#   scripts/bench-latency.sh [query...]      (default: readme qzxvw 写真 m)
#   FILVEX_LATENCY_RUNS=N scripts/bench-latency.sh ...   (default 1)
# Builds Filvex.exe in the cross build (FILVEX_WIN_BUILD, default build/win)
# and list_bench in an optimised native build (build/bench), which writes the
# six list files to build/bench-latency/data. Several runs on a busy machine
# differ by tens of percent: compare the program with the floor of the same
# run, never with a figure of another run. The start of one run swings by
# about 60 ms on two cores: with N runs, each run's start above its floor
# and keystroke ratio are listed, and their medians printed at the end.
#
# Unlike scripts/bench-search.sh, which types from inside the program's own
# process and waits for the end of the search there, this measures from
# another process: every keystroke and every look at the caption is a
# cross-process message that the window's thread must take in turn, so the
# figures hold what the window does on that thread around the scan. A look
# that arrives while the hits are handed over is answered only after the
# hand-over, and one that arrives just after it waits for the repaint of the
# list (its six columns and icons cost several times the floor's one column).
# The tool starts its own Xvfb on display :97: run one at a time per machine.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${FILVEX_WIN_BUILD:-$root/build/win}
tool=${LATENCY_TOOL:-/work/shared/latency/run.sh}
work=$root/build/bench-latency
[ $# -gt 0 ] || set -- readme qzxvw 写真 m

cmake -S "$root" -B "$root/build/bench" -DCMAKE_BUILD_TYPE=Release >"$work.configure.log" 2>&1 || {
  cat "$work.configure.log" >&2
  exit 1
}
cmake --build "$root/build/bench" --target list_bench -j "${FILVEX_JOBS:-2}" >/dev/null
cmake --build "$build" --target Filvex -j "${FILVEX_JOBS:-2}" >/dev/null
mkdir -p "$work/data" "$work/tmp"
rm -f "$work/data"/*.txt
"$root/build/bench/list_bench" 100000 900000 "$work/data" >"$work/list_bench.out"
# Wine hands the UTF-8 queries to the timing program in its code page.
runs=${FILVEX_LATENCY_RUNS:-1}
if [ "$runs" -le 1 ]; then
  TMPDIR=$work/tmp "$tool" "$build/Filvex.exe" "$work/data" "$@"
  exit
fi
: >"$work/runs.txt"
for _ in $(seq "$runs"); do
  TMPDIR=$work/tmp "$tool" "$build/Filvex.exe" "$work/data" "$@" | tee "$work/run.out"
  # "floor  start  224 ms  keystroke median  16.9 ms ..." and the same for filvex
  awk '$2 == "start" { s[$1] = $3; k[$1] = $7 }
       END { if ("floor" in s && "filvex" in s && k["floor"] > 0)
               printf "%d %.2f\n", s["filvex"] - s["floor"], k["filvex"] / k["floor"] }' \
    "$work/run.out" >>"$work/runs.txt"
done
awk '{ d[NR] = $1; r[NR] = $2; list = list sprintf(" %+d/%.2fx", $1, $2) }
     function median(a, n,   i, j, t) {
       for (i = 2; i <= n; i++) for (j = i; j > 1 && a[j - 1] > a[j]; j--) {
         t = a[j]; a[j] = a[j - 1]; a[j - 1] = t }
       return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2 }
     END { if (NR == 0) { print "no run gave both figures"; exit 1 }
           printf "%d runs, start above the floor / keystroke ratio:%s\n", NR, list
           printf "median start above the floor %+d ms, median keystroke ratio %.2fx\n",
                  median(d, NR), median(r, NR) }' "$work/runs.txt"
