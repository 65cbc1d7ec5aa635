#!/usr/bin/env bash
# Times a search in the main window under Wine, from the keystroke to the
# painted rows, over a synthetic search list (bench/search_winbench.cpp).
#   scripts/bench-search.sh [entries [rounds]]      (default 1000000 5)
# Builds search_winbench in the cross build (FILVEX_WIN_BUILD, default
# build/win).
#
# This times the search from inside the program's own process: the text is
# set on the window's own thread and the end is seen on the stop flag, so it
# leaves out what a user meets around the search: the keystroke and every
# look at the window arrive from another process as messages that the
# window's thread takes in turn, between the worker's hand-overs and the
# repaint. scripts/bench-latency.sh measures that way, beside the floor of
# a minimal window of the same shape.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${FILVEX_WIN_BUILD:-$root/build/win}
export FILVEX_ROOT="$root"
# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"

filvex_build_win_target "$build" search_winbench || exit 1

run="$root/build/wine-runs/bench-search"
trap filvex_wine_run_end EXIT
filvex_wine_run_begin "$run"
filvex_wine_install "$build/search_winbench.exe" 'C:\filvex-bench'
rc=0
filvex_wine_exec 1800 "$run/out/bench" 'C:\filvex-bench\search_winbench.exe' "${1:-1000000}" \
  "${2:-5}" || rc=$?
iconv -f CP932 -t UTF-8 "$run/out/bench.out" || cat "$run/out/bench.out"
[ "$rc" -eq 0 ] || echo "bench-search: search_winbench ended with status $rc" >&2
exit "$rc"
