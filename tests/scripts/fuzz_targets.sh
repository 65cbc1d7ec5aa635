#!/usr/bin/env bash
# The fuzz targets build with clang and libFuzzer, and each runs a few
# thousand generated inputs without a report. No other build uses clang, so
# a flag only GCC knows once broke the fuzz build without any test noticing.
# Each target starts from an empty corpus with a fixed seed, so a run is the
# same every time; longer runs are for people hunting faults (see README).
#
# Skipped (exit 0) when clang++ is not installed: install-deps.sh names it
# as optional.
set -uo pipefail

root=${FILVEX_ROOT:-$(cd "$(dirname "$0")/../.." && pwd)}
if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz_targets: skipped, clang++ is not installed"
  exit 0
fi
build=$root/build/fuzz
log=$root/build/fuzz.log
mkdir -p "$build"
if ! { CXX=clang++ cmake -S "$root" -B "$build" -DFILVEX_FUZZ=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo && cmake --build "$build" -j 2; } >"$log" 2>&1; then
  echo "fuzz_targets: the fuzz build failed; end of $log:"
  tail -n 30 "$log"
  exit 1
fi

status=0
targets=("$build"/*_fuzz)
if [ ! -x "${targets[0]}" ]; then
  echo "fuzz_targets: the build made no fuzz target in $build"
  exit 1
fi
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
# An input that makes a report is kept here, to run again with the target.
artifacts=$root/build/fuzz-artifacts
mkdir -p "$artifacts"
for target in "${targets[@]}"; do
  name=$(basename "$target")
  mkdir -p "$corpus/$name"
  if (cd "$corpus" && "$target" -runs=4000 -seed=1 -artifact_prefix="$artifacts/$name-" \
    "$corpus/$name") >"$corpus/$name.log" 2>&1; then
    echo "fuzz_targets: $name ran 4000 inputs"
  else
    status=1
    echo "fuzz_targets: $name reported a fault; end of its output:"
    tail -n 30 "$corpus/$name.log"
  fi
done
exit $status
