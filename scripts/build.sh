#!/usr/bin/env bash
# Configures and builds Filvex under build/:
#   native  build/native  Debug, the portable core, its tests and tools
#   asan    build/asan    the same with AddressSanitizer and UBSan
#   win     build/win     Release cross build: Filvex.exe, filvex_win_tests.exe
# Usage: scripts/build.sh [native] [asan] [win]   (no argument: all three)
# The machine has two cores; FILVEX_JOBS overrides the -j2.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
jobs=${FILVEX_JOBS:-2}

targets=("$@")
[ "${#targets[@]}" -gt 0 ] || targets=(native asan win)
status=0

for target in "${targets[@]}"; do
  case "$target" in
    native) args=(-DCMAKE_BUILD_TYPE=Debug) ;;
    asan) args=(-DCMAKE_BUILD_TYPE=Debug -DFILVEX_SANITIZE=ON) ;;
    win) args=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-toolchain.cmake" -DCMAKE_BUILD_TYPE=Release) ;;
    *)
      echo "build: unknown build '$target' (native, asan, win)" >&2
      exit 2
      ;;
  esac
  dir="$root/build/$target"
  start=$SECONDS
  echo "== build $target ($dir)"
  mkdir -p "$dir"
  # Configuring every time is cheap (a second or two) and picks up added files.
  cmake -S "$root" -B "$dir" "${args[@]}" >"$root/build/$target.configure.log" 2>&1 || {
    cat "$root/build/$target.configure.log" >&2
    echo "build: configuring $target failed" >&2
    exit 1
  }
  # Keep going past a broken target, so that one unfinished program does not
  # stop the others (the tests above all) from building; the status still
  # reports the failure.
  keep_going=()
  grep -q '^CMAKE_GENERATOR:INTERNAL=Unix Makefiles$' "$dir/CMakeCache.txt" && keep_going=(-- -k)
  if cmake --build "$dir" -j "$jobs" "${keep_going[@]}"; then
    echo "== build $target done in $((SECONDS - start)) s"
  else
    echo "== build $target FAILED after $((SECONDS - start)) s"
    status=1
  fi
done
exit "$status"
