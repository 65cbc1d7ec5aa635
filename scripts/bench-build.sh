#!/usr/bin/env bash
# Benchmarks of the search-list build under Wine (bench/build_winbench.cpp):
#  - speed: the build against a bare walk of the same folder tree (entries per
#    second, the ratio build/walk, peak memory);
#  - stop: builds of every drive started from the main window and stopped
#    mid-walk (time until the build has ended and the window is idle, message
#    round trips of the window while builds run).
#   scripts/bench-build.sh [entries [stop-entries]]   (default 200000 1000000;
#                                                      stop-entries 0 skips the stop run)
# Builds build_winbench in the cross build (FILVEX_WIN_BUILD, default
# build/win). The trees stay in build/bench-tree, mapped as D:, so that later
# runs skip making them (a million entries take a minute or two under Wine).
# BENCH_ROUNDS sets the rounds of the speed run (7), BENCH_VERBOSE=1 prints
# every round and every stop.
#
# BENCH_AWAKE=1 keeps the processors awake with a busy loop at the lowest
# priority while the benchmarks run. Under Wine every directory listing is a
# few round trips to the Wine server; on a virtual machine whose idle
# processors sleep, each wake-up passes through the hypervisor and the same
# walk takes several times as long, varying with whatever else runs. Kept
# awake, the figures are steady and show the program's own cost; the loop
# yields to every other task.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
entries=${1:-200000}
stop_entries=${2:-1000000}
build=${FILVEX_WIN_BUILD:-$root/build/win}
export FILVEX_ROOT="$root"
# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"

filvex_build_win_target "$build" build_winbench || exit 1

run="$root/build/wine-runs/bench-build"
awake_pid=
finish() {
  if [ -n "$awake_pid" ]; then
    kill "$awake_pid" 2>/dev/null || true
    wait "$awake_pid" 2>/dev/null || true
  fi
  filvex_wine_run_end
}
trap finish EXIT
if [ "${BENCH_AWAKE:-0}" = 1 ]; then
  nice -n 19 bash -c 'while :; do :; done' &
  awake_pid=$!
fi
filvex_wine_run_begin "$run"
filvex_wine_map_drive d "$root/build/bench-tree" "$WINEPREFIX"
filvex_wine_install "$build/build_winbench.exe" 'C:\filvex-bench'
# Wine's environment variables come from the caller's.
export BENCH_ROUNDS="${BENCH_ROUNDS:-7}"
rc=0
echo "== speed: build against a bare walk of D:\\buildbench (awake ${BENCH_AWAKE:-0}; $(uptime | sed 's/.*load/load/'))"
filvex_wine_exec 3600 "$run/out/bench" 'C:\filvex-bench\build_winbench.exe' 'D:\buildbench' \
  "$entries" || rc=$?
iconv -f CP932 -t UTF-8 "$run/out/bench.out" || cat "$run/out/bench.out"
[ "$rc" -eq 0 ] || echo "bench-build: build_winbench ended with status $rc" >&2
if [ "$stop_entries" -gt 0 ]; then
  echo "== stop: builds of every drive from the window (awake ${BENCH_AWAKE:-0}; $(uptime | sed 's/.*load/load/'))"
  src=0
  filvex_wine_exec 3600 "$run/out/stop" 'C:\filvex-bench\build_winbench.exe' --stop \
    'D:\stopbench' "$stop_entries" || src=$?
  iconv -f CP932 -t UTF-8 "$run/out/stop.out" || cat "$run/out/stop.out"
  if [ "$src" -ne 0 ]; then
    echo "bench-build: build_winbench --stop ended with status $src" >&2
    rc=$src
  fi
fi
exit "$rc"
