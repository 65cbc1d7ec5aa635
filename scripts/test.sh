#!/usr/bin/env bash
# Installs what is missing, builds all three builds and runs every test:
#   native   build/native/filvex_core_tests
#   asan     build/asan/filvex_core_tests (AddressSanitizer + UBSan)
#   wine     build/win/filvex_win_tests.exe under Wine, in a fresh prefix with
#            its own Xvfb (see scripts/wine-env.sh)
#   scripts  tests/scripts/*.sh, one test each (exit status 0 passes)
# Reports go to build/test-results/. The last line of output is always
# "N passed, N failed"; the exit status is 0 only when nothing failed.
# A suite that crashes, times out or writes no report counts as one failure.
#
# Time limits in seconds (environment): FILVEX_TEST_TIMEOUT for each native
# suite and each script (600), FILVEX_WIN_TEST_TIMEOUT for the Wine suite (900).
# GTEST_FILTER narrows every gtest suite, under Wine too.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
export FILVEX_ROOT="$root"
results="$root/build/test-results"
native_limit=${FILVEX_TEST_TIMEOUT:-600}
wine_limit=${FILVEX_WIN_TEST_TIMEOUT:-900}

total_passed=0
total_failed=0
summary=()

# Adds a line to the summary and the counts to the totals.
record() {  # label passed failed [note]
  local label=$1 passed=$2 failed=$3 note=${4:-}
  total_passed=$((total_passed + passed))
  total_failed=$((total_failed + failed))
  summary+=("$(printf '%-28s %5d passed, %d failed%s' "$label" "$passed" "$failed" "${note:+  ($note)}")")
}

# Counts a gtest XML report: one summary line per test suite, then the failed
# tests by name. Prints "passed failed skipped" on its last line.
count_gtest_xml() {  # xml-file indent
  awk -v indent="$2" '
    function attr(line, name,    m) {
      if (match(line, " " name "=\"[^\"]*\"")) {
        m = substr(line, RSTART + length(name) + 3, RLENGTH - length(name) - 4)
        return m
      }
      return ""
    }
    /^  <testsuite name=/ {
      t = attr($0, "tests") + 0; f = attr($0, "failures") + 0; e = attr($0, "errors") + 0
      d = attr($0, "disabled") + 0; s = attr($0, "skipped") + 0
      p = t - f - e - d - s
      line = sprintf("%s%-26s %5d passed, %d failed", indent, attr($0, "name"), p, f + e)
      if (d + s > 0) line = line sprintf("  (%d skipped)", d + s)
      print line
      passed += p; failed += f + e; skipped += d + s
    }
    /^    <testcase / { current = attr($0, "classname") "." attr($0, "name"); reported = 0 }
    /^      <failure / && !reported { bad[++nbad] = current; reported = 1 }
    END {
      for (i = 1; i <= nbad; i++) print indent "  FAILED " bad[i]
      print passed + 0, failed + 0, skipped + 0
    }' "$1"
}

# Folds one gtest run into the summary. A run that ended badly without a
# failing test in its report (crash, sanitizer abort, time limit) counts as
# one more failure.
record_gtest() {  # label xml log exit-status
  local label=$1 xml=$2 log=$3 rc=$4 out passed=0 failed=0 skipped=0 note=""
  if [ -s "$xml" ]; then
    out=$(count_gtest_xml "$xml" "    ")
    read -r passed failed skipped <<<"$(tail -n 1 <<<"$out")"
    [ "$skipped" -gt 0 ] && note="$skipped skipped"
  fi
  if [ "$rc" -ne 0 ] && [ "$failed" -eq 0 ]; then
    failed=1
    case "$rc" in
      124 | 137) note="ran out of time" ;;
      *) note="exit status $rc" ;;
    esac
    [ -s "$xml" ] || note="$note, no report"
  fi
  record "$label" "$passed" "$failed" "$note"
  if [ -s "$xml" ] && [ "$(wc -l <<<"$out")" -gt 1 ]; then
    summary+=("$(head -n -1 <<<"$out")")
  fi
  if [ "$failed" -gt 0 ]; then
    echo "---- $label failed; end of $log:"
    tail -n 60 "$log" | iconv -f CP932 -t UTF-8 -c
    echo "----"
  fi
}

# Runs a native gtest program with a time limit.
run_native_suite() {  # label build-dir name
  local label=$1 exe="$root/build/$2/filvex_core_tests" xml="$results/$3.xml" log="$results/$3.log"
  local rc=0
  echo "== test $label"
  if [ ! -x "$exe" ]; then
    record "$label" 0 1 "not built"
    return
  fi
  # The core tests read and write their own temporary folders; the working
  # directory is the build folder so that nothing lands in the sources.
  (cd "$root/build/$2" && ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0} \
    UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
    timeout -k 10 "$native_limit" "$exe" --gtest_output="xml:$xml") >"$log" 2>&1 || rc=$?
  record_gtest "$label" "$xml" "$log" "$rc"
}

run_wine_suite() {
  local label="wine" exe="$root/build/win/filvex_win_tests.exe" xml="$results/wine.xml"
  local log="$results/wine" rc=0 extra
  echo "== test $label"
  if [ ! -f "$exe" ]; then
    record "$label" 0 1 "not built"
    return
  fi
  # shellcheck source=scripts/wine-env.sh
  source "$root/scripts/wine-env.sh"
  trap filvex_wine_run_end EXIT
  if ! filvex_wine_run_begin "$root/build/wine-runs/win-tests"; then
    record "$label" 0 1 "no Wine environment"
    return
  fi
  # The test program runs from C:\filvex-tests with the programs it may start
  # beside it.
  filvex_wine_install "$exe" 'C:\filvex-tests'
  for extra in "$root/build/win/Filvex.exe" "$root/build/win/filvex-find.exe"; do
    [ -f "$extra" ] && filvex_wine_install "$extra" 'C:\filvex-tests'
  done
  filvex_wine_exec "$wine_limit" "$log" 'C:\filvex-tests\filvex_win_tests.exe' \
    '--gtest_output=xml:C:\filvex-tests\filvex_win_tests.xml' || rc=$?
  filvex_wine_run_end
  trap - EXIT
  cp -f "$WINEPREFIX/drive_c/filvex-tests/filvex_win_tests.xml" "$xml" 2>/dev/null || true
  cat "$log.out" "$log.err" >"$log.log" 2>/dev/null
  record_gtest "$label (filvex_win_tests.exe)" "$xml" "$log.log" "$rc"
}

run_scripts() {
  local script name rc passed=0 failed=0 lines=()
  shopt -s nullglob
  local scripts=("$root"/tests/scripts/*.sh)
  shopt -u nullglob
  echo "== test scripts (${#scripts[@]})"
  mkdir -p "$results/scripts"
  for script in "${scripts[@]}"; do
    name=$(basename "$script" .sh)
    rc=0
    (cd "$root" && timeout -k 10 "$native_limit" bash "$script") \
      >"$results/scripts/$name.log" 2>&1 </dev/null || rc=$?
    if [ "$rc" -eq 0 ]; then
      passed=$((passed + 1))
      lines+=("    ${name}.sh passed")
    else
      failed=$((failed + 1))
      lines+=("    ${name}.sh FAILED (exit status $rc)")
      echo "---- tests/scripts/$name.sh failed; end of $results/scripts/$name.log:"
      tail -n 40 "$results/scripts/$name.log"
      echo "----"
    fi
  done
  record "scripts (tests/scripts)" "$passed" "$failed"
  [ "${#lines[@]}" -gt 0 ] && summary+=("$(printf '%s\n' "${lines[@]}")")
}

start=$SECONDS
"$root/scripts/install-deps.sh" || {
  echo "test: dependencies are missing (see above)"
  echo "0 passed, 1 failed"
  exit 1
}

rm -rf "$results"
mkdir -p "$results"

# Each build separately: a broken build fails its own suites, not the others.
declare -A built
for b in native asan win; do
  if "$root/scripts/build.sh" "$b"; then
    built[$b]=1
  else
    built[$b]=0
    echo "test: the $b build failed"
  fi
done
build_time=$((SECONDS - start))

for b in native asan win; do
  if [ "${built[$b]}" -eq 0 ]; then
    record "$b build" 0 1 "build failed"
  fi
done
[ "${built[native]}" -eq 1 ] && run_native_suite "native core" native native
[ "${built[asan]}" -eq 1 ] && run_native_suite "asan core (ASan+UBSan)" asan asan
[ "${built[win]}" -eq 1 ] && run_wine_suite
run_scripts

echo
echo "== summary (reports in build/test-results; install+build ${build_time} s, total $((SECONDS - start)) s)"
printf '%s\n' "${summary[@]}"
echo "$total_passed passed, $total_failed failed"
[ "$total_failed" -eq 0 ]
