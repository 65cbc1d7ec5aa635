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
# What a Windows test (tests/win) can rely on here:
#  - it runs as C:\filvex-tests\filvex_win_tests.exe with C:\filvex-tests as
#    working directory; Filvex.exe and filvex-find.exe (when built) lie beside it;
#  - one process per gtest test suite (--gtest_filter=Suite.*);
#  - drives: C: (the prefix's drive_c, writable: make program folders under C:\),
#    D: and E: (fixed disks, empty: emptied again before each suite); no Z: and
#    no other host folder;
#  - ANSI code page 932 (LANG and LC_ALL ja_JP.UTF-8), the IPA Gothic font;
#  - a private Xvfb of 1280x1024x24 without a window manager;
#  - a fresh prefix for each run of this script, shared by its suites: registry
#    changes (drive types, for example) last until the run ends;
#  - XDG_DATA_HOME of the run, so the recycle bin is build/wine-runs/win-tests/xdg/Trash;
#    Wine fixes it at a process's first delete to the recycle bin, so the tests
#    of one process share it (tests/win/shell_dialog_answerer.h finds items there);
#  - stdin is empty; a crash writes a backtrace to the suite's log and fails it.
# Each suite's output: build/test-results/wine/<Suite>.log and .xml.
#
# Time limits in seconds (environment): FILVEX_TEST_TIMEOUT for each native
# test program and each script (600), FILVEX_WIN_TEST_TIMEOUT for each test
# suite under Wine (300), FILVEX_WIN_STAGE_TIMEOUT for all of them together
# (900). GTEST_FILTER narrows every gtest run, under Wine too.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1
export FILVEX_ROOT="$root"
results="$root/build/test-results"
native_limit=${FILVEX_TEST_TIMEOUT:-600}
wine_limit=${FILVEX_WIN_TEST_TIMEOUT:-300}
wine_budget=${FILVEX_WIN_STAGE_TIMEOUT:-900}

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

# Counts gtest XML reports: one summary line per test suite, then the failed
# tests by name. Prints "passed failed skipped" on its last line.
count_gtest_xml() {  # indent xml-file...
  local indent=$1
  shift
  awk -v indent="$indent" '
    function attr(line, name) {
      if (match(line, " " name "=\"[^\"]*\""))
        return substr(line, RSTART + length(name) + 3, RLENGTH - length(name) - 4)
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
    }' "$@" </dev/null
}

# Failures a gtest report records (0 when there is no report).
xml_failures() {
  [ -s "$1" ] || { echo 0; return; }
  awk '/^<testsuites / {
         match($0, / failures="[0-9]*"/); f = substr($0, RSTART + 11, RLENGTH - 12)
         match($0, / errors="[0-9]*"/); e = substr($0, RSTART + 9, RLENGTH - 10)
         print f + e; exit
       }' "$1"
}

# Folds gtest runs into the summary. Each line of file $2 describes one run:
# "exit-status<TAB>xml<TAB>log<TAB>name". A run that ended badly with no failing
# test in its report (crash, sanitizer abort, time limit) counts as one more
# failure, named after the run.
record_gtest_runs() {  # label runs-file
  local label=$1 runs=$2 rc xml log name out="" passed=0 failed=0 skipped=0 note="" last
  local xmls=() broken=() logs=()
  while IFS=$'\t' read -r rc xml log name; do
    if [ "$rc" = notrun ]; then
      broken+=("    $name")
      continue
    fi
    [ -s "$xml" ] && xmls+=("$xml")
    if [ "$rc" -ne 0 ] && [ "$(xml_failures "$xml")" -eq 0 ]; then
      case "$rc" in
        124 | 137) note="ran out of time" ;;
        *) note="exit status $rc" ;;
      esac
      # gtest flushes "[ RUN      ]" before each test: name the one that never ended.
      last=$(tr -d '\r' <"$log" 2>/dev/null | awk '/^\[ RUN      \] / { t = $4 }
        /^\[       OK \] |^\[  FAILED  \] |^\[  SKIPPED \] / { t = "" } END { print t }')
      [ -n "$last" ] && note="$note in $last"
      [ -s "$xml" ] || note="$note, no report"
      broken+=("    ${name}: $note")
      logs+=("$log")
    elif [ "$rc" -ne 0 ]; then
      logs+=("$log")
    fi
  done <"$runs"
  if [ "${#xmls[@]}" -gt 0 ]; then
    out=$(count_gtest_xml "    " "${xmls[@]}")
    read -r passed failed skipped <<<"$(tail -n 1 <<<"$out")"
    out=$(head -n -1 <<<"$out")
  fi
  failed=$((failed + ${#broken[@]}))
  note=""
  [ "$skipped" -gt 0 ] && note="$skipped skipped"
  record "$label" "$passed" "$failed" "$note"
  [ -n "$out" ] && summary+=("$out")
  [ "${#broken[@]}" -gt 0 ] && summary+=("$(printf '%s\n' "${broken[@]}")")
  for log in "${logs[@]}"; do
    echo "---- $label: end of $log"
    tail -n 60 "$log" | tr -d '\r' | iconv -f CP932 -t UTF-8 -c
    echo "----"
  done
}

# Runs a native gtest program with a time limit.
run_native_suite() {  # label build-dir name
  local label=$1 exe="$root/build/$2/filvex_core_tests" xml="$results/$3.xml" log="$results/$3.log"
  local rc=0 began=$SECONDS
  echo "== test $label"
  if [ ! -x "$exe" ]; then
    record "$label" 0 1 "not built"
    return
  fi
  # The core tests make their own temporary folders; the working directory is
  # the build folder so that nothing lands in the sources.
  (cd "$root/build/$2" && ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} \
    UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
    timeout -k 10 "$native_limit" "$exe" --gtest_output="xml:$xml") >"$log" 2>&1 || rc=$?
  echo "== test $label: $((SECONDS - began)) s"
  printf '%s\t%s\t%s\t%s\n' "$rc" "$xml" "$log" "filvex_core_tests" >"$results/$3.runs"
  record_gtest_runs "$label" "$results/$3.runs"
}

# Empties a fixture drive between test processes.
empty_folder() {
  chmod -R u+w "$1" 2>/dev/null || true  # a test may leave a read-only folder
  find "$1" -mindepth 1 -maxdepth 1 -exec rm -rf {} + 2>/dev/null || true
}

# The Windows tests run one gtest test suite per process: a suite that hangs
# (a message box nobody answers) or crashes costs its own time limit and its
# own tests, and the others still report. A persistent wineserver makes each
# start cost about 0.1 s. D:\ and E:\ are emptied before each suite.
run_wine_suite() {
  local label="wine (filvex_win_tests.exe)" exe="$root/build/win/filvex_win_tests.exe"
  local out="$results/wine" runs="$results/wine.runs" rc extra suite safe
  local tests_dir='C:\filvex-tests' suites=() began=$SECONDS limit left
  echo "== test wine"
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
  filvex_wine_install "$exe" "$tests_dir"
  for extra in "$root/build/win/Filvex.exe" "$root/build/win/filvex-find.exe"; do
    [ -f "$extra" ] && filvex_wine_install "$extra" "$tests_dir"
  done
  mkdir -p "$out" "$WINEPREFIX/drive_c/filvex-tests/reports"
  : >"$runs"
  filvex_wine_env "$FILVEX_WINESERVER" -p >"$out/wineserver.log" 2>&1 </dev/null || true

  if [ -n "${GTEST_FILTER:-}" ]; then
    suites=("$GTEST_FILTER")  # one process for the caller's filter
  else
    rc=0
    filvex_wine_exec 120 "$out/list" "$tests_dir\\filvex_win_tests.exe" --gtest_list_tests || rc=$?
    if [ "$rc" -ne 0 ]; then
      printf '%s\t%s\t%s\t%s\n' "$rc" - "$out/list.err" "listing the tests" >>"$runs"
    fi
    # Suite lines start in column 0: "Suite." or "Prefix/Suite.  # TypeParam = ...";
    # gtest_main's "Running main() from ..." is not one.
    mapfile -t suites < <(tr -d '\r' <"$out/list.out" |
      awk '/^[A-Za-z_][A-Za-z0-9_\/]*\.( .*)?$/ { sub(/\.$/, "", $1); print $1 ".*" }')
  fi
  for suite in "${suites[@]}"; do
    safe=$(printf '%s' "${suite%.\*}" | tr -c 'A-Za-z0-9_-' '_')
    # The whole Wine stage has a budget too, so that many hanging suites
    # cannot hold a CI run for hours; what is left over is not run.
    left=$((wine_budget - (SECONDS - began)))
    if [ "$left" -le 10 ]; then
      printf '%s\t%s\t%s\t%s\n' notrun - - \
        "${suite%.\*} and the suites after it: not run, the Wine stage used its ${wine_budget} s" >>"$runs"
      break
    fi
    limit=$wine_limit
    [ "$left" -lt "$limit" ] && limit=$left
    empty_folder "$FILVEX_RUN_DIR/drives/d"
    empty_folder "$FILVEX_RUN_DIR/drives/e"
    rc=0
    filvex_wine_exec "$limit" "$out/$safe" "$tests_dir\\filvex_win_tests.exe" \
      "--gtest_filter=$suite" "--gtest_output=xml:$tests_dir\\reports\\$safe.xml" || rc=$?
    cp -f "$WINEPREFIX/drive_c/filvex-tests/reports/$safe.xml" "$out/$safe.xml" 2>/dev/null ||
      rm -f "$out/$safe.xml"
    cat "$out/$safe.out" "$out/$safe.err" >"$out/$safe.log" 2>/dev/null
    rm -f "$out/$safe.out" "$out/$safe.err"
    printf '%s\t%s\t%s\t%s\n' "$rc" "$out/$safe.xml" "$out/$safe.log" "${suite%.\*}" >>"$runs"
  done
  filvex_wine_run_end
  trap - EXIT
  echo "== test wine: ${#suites[@]} suites in $((SECONDS - began)) s"
  record_gtest_runs "$label" "$runs"
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

# Each build separately, and a build that fails still runs its tests when the
# test program itself builds: one unfinished program elsewhere should not hide
# every test result. The failed build counts as one failure.
declare -A tests_ok
declare -A test_target=([native]=filvex_core_tests [asan]=filvex_core_tests [win]=filvex_win_tests)
for b in native asan win; do
  tests_ok[$b]=1
  if ! "$root/scripts/build.sh" "$b"; then
    record "$b build" 0 1 "build failed"
    if ! cmake --build "$root/build/$b" -j 2 --target "${test_target[$b]}" \
      >"$results/build-$b-tests.log" 2>&1; then
      tests_ok[$b]=0
      echo "test: the $b test program does not build"
    fi
  fi
done
build_time=$((SECONDS - start))

if [ "${tests_ok[native]}" -eq 1 ]; then
  run_native_suite "native core" native native
fi
if [ "${tests_ok[asan]}" -eq 1 ]; then
  run_native_suite "asan core (ASan+UBSan)" asan asan
fi
if [ "${tests_ok[win]}" -eq 1 ]; then
  run_wine_suite
fi
run_scripts

echo
echo "== summary (reports in build/test-results; install+build ${build_time} s, total $((SECONDS - start)) s)"
printf '%s\n' "${summary[@]}"
echo "$total_passed passed, $total_failed failed"
[ "$total_failed" -eq 0 ]
