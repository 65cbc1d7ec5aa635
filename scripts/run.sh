#!/usr/bin/env bash
# Installs what is missing, builds Filvex.exe and starts it under Wine in
# Japanese (code page 932), in a prefix of its own that persists between runs:
#   build/run/prefix        the Wine prefix; drives: C: only (no z:)
#   build/run/Filvex/       the program folder (C:\Filvex): Filvex.exe, and
#                           what the program keeps beside it (data\)
# With a display ($DISPLAY) Filvex opens there and the script waits for it to
# end. Without one it runs Filvex on a private Xvfb for a few seconds
# (FILVEX_RUN_SECONDS, default 5), saves a screenshot to
# build/run/screenshot.png and stops it.
# Arguments are passed to Filvex. FILVEX_DRIVE_D=<folder> shows a folder as D:.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
run="$root/build/run"

"$root/scripts/install-deps.sh"
# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"

# Only the program is built, in the cross build's folder: the test program
# and the benchmarks (scripts/build.sh win builds them too) would add minutes
# to a first start and are not run here. The build folder's logs go beside it,
# under build/, which a fresh clone does not have yet.
mkdir -p "$run"
filvex_build_win_target "$root/build/win" Filvex || {
  echo "run: Filvex.exe does not build" >&2
  exit 1
}

prefix="$run/prefix"
if [ ! -f "$prefix/system.reg" ]; then
  filvex_wine_prefix_from_template "$prefix"
fi
export WINEPREFIX="$prefix"
export XDG_DATA_HOME="$run/xdg"
mkdir -p "$XDG_DATA_HOME"
if [ -n "${FILVEX_DRIVE_D:-}" ]; then
  filvex_wine_map_drive d "$FILVEX_DRIVE_D" "$prefix"
else
  rm -f "$prefix/dosdevices/d:"
fi

# The program folder lives inside drive_c, so that Wine knows it as
# C:\Filvex both as the module's folder and as the working directory;
# build/run/Filvex points at it.
program="$prefix/drive_c/Filvex"
mkdir -p "$program"
cp -f "$root/build/win/Filvex.exe" "$program/Filvex.exe"
ln -sfn "prefix/drive_c/Filvex" "$run/Filvex"
log="$run/filvex.log"

if [ -n "${DISPLAY:-}" ]; then
  echo "run: starting Filvex on $DISPLAY (output in $log)"
  rc=0
  (cd "$program" && filvex_wine_env "$FILVEX_WINE" 'C:\Filvex\Filvex.exe' "$@") \
    >"$log" 2>&1 </dev/null || rc=$?
  echo "run: Filvex ended with exit status $rc"
  exit "$rc"
fi

seconds=${FILVEX_RUN_SECONDS:-5}
shot="$run/screenshot.png"
trap 'filvex_wineserver_kill "$prefix" || true; filvex_xvfb_stop' EXIT
filvex_xvfb_start "$run"
echo "run: no display; starting Filvex on Xvfb $DISPLAY for $seconds s"
# The time limit only guards against a stuck Wine: the wineserver is stopped
# after the screenshot anyway.
(cd "$program" && filvex_wine_env timeout -k 5 $((seconds + 60)) \
  "$FILVEX_WINE" 'C:\Filvex\Filvex.exe' "$@") >"$log" 2>&1 </dev/null &
pid=$!
sleep "$seconds"
state="still running"
if ! kill -0 "$pid" 2>/dev/null; then
  rc=0
  wait "$pid" || rc=$?
  state="had already ended (exit status $rc)"
fi
rm -f "$shot"
if xwd -root -silent -display "$DISPLAY" >"$run/screen.xwd" 2>"$run/xwd.log" &&
  xwdtopnm <"$run/screen.xwd" 2>/dev/null | pnmtopng >"$shot" 2>/dev/null; then
  rm -f "$run/screen.xwd"
else
  echo "run: the screenshot failed (see $run/xwd.log)" >&2
  shot=""
fi
filvex_wineserver_kill "$prefix" || true
wait "$pid" 2>/dev/null || true
filvex_xvfb_stop
trap - EXIT
echo "run: Filvex $state after $seconds s; output in $log"
if [ -n "$shot" ]; then
  echo "run: screenshot: $shot"
else
  exit 1
fi
