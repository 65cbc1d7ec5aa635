#!/usr/bin/env bash
# Times a search-list build under Wine against a bare walk of the same folder
# tree (bench/build_winbench.cpp) and prints entries per second, the ratio
# build/walk and the peak memory.
#   scripts/bench-build.sh [entries]          (default 200000)
# Builds build_winbench in the cross build (FILVEX_WIN_BUILD, default
# build/win). The tree stays in build/bench-tree, mapped as D:, so that later
# runs skip making it (making 200,000 entries under Wine takes minutes).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
entries=${1:-200000}
build=${FILVEX_WIN_BUILD:-$root/build/win}
export FILVEX_ROOT="$root"
# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-toolchain.cmake" \
  -DCMAKE_BUILD_TYPE=Release >"$build.configure.log" 2>&1 || {
  cat "$build.configure.log" >&2
  exit 1
}
cmake --build "$build" -j "${FILVEX_JOBS:-2}" --target build_winbench

run="$root/build/wine-runs/bench-build"
trap filvex_wine_run_end EXIT
filvex_wine_run_begin "$run"
filvex_wine_map_drive d "$root/build/bench-tree" "$WINEPREFIX"
filvex_wine_install "$build/build_winbench.exe" 'C:\filvex-bench'
rc=0
filvex_wine_exec 3600 "$run/out/bench" 'C:\filvex-bench\build_winbench.exe' 'D:\buildbench' \
  "$entries" || rc=$?
iconv -f CP932 -t UTF-8 "$run/out/bench.out" || cat "$run/out/bench.out"
[ "$rc" -eq 0 ] || echo "bench-build: build_winbench ended with status $rc" >&2
exit "$rc"
