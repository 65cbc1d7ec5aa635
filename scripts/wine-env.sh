# shellcheck shell=bash
# Wine test environment for Filvex. Source this file; it defines functions only.
#
# A run gets its own folder:
#   <run>/prefix      copy of the template prefix; drives C: (drive_c), D:, E: only
#   <run>/drives/d    empty fixture folder, D:\ inside Wine
#   <run>/drives/e    empty fixture folder, E:\ inside Wine
#   <run>/xdg         XDG_DATA_HOME of the run (the recycle bin lands in xdg/Trash)
#   <run>/xvfb.*      the run's own X server (display number, PID, log)
#
# Typical use:
#   source scripts/wine-env.sh
#   filvex_wine_run_begin build/wine-runs/mine      # prefix, drives, Xvfb
#   filvex_wine_install "$exe" 'C:\filvex-tests'     # copy into drive_c
#   filvex_wine_exec 600 "$run/out/tests" 'C:\filvex-tests\x.exe' --flag || rc=$?
#   filvex_wine_run_end                              # wineserver -k, stop Xvfb
#
# Wine output never goes through a pipe: Wine's background processes inherit
# it and would keep the pipe open until the server exits.

FILVEX_ROOT="${FILVEX_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
FILVEX_WINE="${FILVEX_WINE:-/usr/lib/wine/wine64}"
FILVEX_WINESERVER="${FILVEX_WINESERVER:-/usr/lib/wine/wineserver}"
FILVEX_WINE_TEMPLATE="${FILVEX_WINE_TEMPLATE:-$FILVEX_ROOT/build/wine-template}"

# Environment of every Wine command. LC_ALL wins over LANG, so both are set:
# a caller's LC_ALL=C would otherwise turn the ANSI code page into 1252.
filvex_wine_env() {
  env WINEDEBUG=-all LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 \
    WINEDLLOVERRIDES="${FILVEX_WINEDLLOVERRIDES:-winemenubuilder.exe=d}" "$@"
}

# Stops the wineserver of prefix $1 with every Wine process it serves, and
# waits (up to 15 s) for it to end: a lingering server would keep the X
# connection of a display that is about to close. Neither call starts a server
# when none runs.
filvex_wineserver_kill() {
  local prefix=$1
  [ -d "$prefix" ] || return 0
  WINEPREFIX="$prefix" filvex_wine_env "$FILVEX_WINESERVER" -k >/dev/null 2>&1 </dev/null || true
  WINEPREFIX="$prefix" filvex_wine_env timeout 15 "$FILVEX_WINESERVER" -w >/dev/null 2>&1 </dev/null || {
    echo "wine-env: the wineserver of $prefix did not stop" >&2
    return 1
  }
}

# Makes the template prefix once (wineboot -i, about 15 s and 700 MB); later
# calls find it ready. A stamp holds the Wine version, so an upgrade of Wine
# makes a fresh template. A lock keeps two concurrent runs from racing.
filvex_wine_template() {
  local template=$FILVEX_WINE_TEMPLATE version
  version=$("$FILVEX_WINE" --version 2>/dev/null) || {
    echo "wine-env: $FILVEX_WINE does not run (scripts/install-deps.sh installs it)" >&2
    return 1
  }
  # Bump the suffix when the template's contents change.
  version="$version template-2"
  if [ "$(cat "$template/.filvex-stamp" 2>/dev/null)" = "$version" ]; then
    return 0
  fi
  mkdir -p "$(dirname "$template")"
  (
    flock 9
    [ "$(cat "$template/.filvex-stamp" 2>/dev/null)" = "$version" ] && exit 0
    local tmp="$template.tmp.$$" rc=0
    rm -rf "$tmp" "$template"
    mkdir -p "$tmp"
    echo "wine-env: creating the template Wine prefix (once) in $template" >&2
    # No display: wineboot has nothing to show, and mscoree/mshtml are left out
    # so that it never waits on the Mono or Gecko installer dialog.
    (
      unset DISPLAY
      export WINEPREFIX="$tmp"
      FILVEX_WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=;mshtml=" \
        filvex_wine_env timeout -k 10 300 "$FILVEX_WINE" wineboot -i
      # A crashing program gets a backtrace on stderr and ends, instead of a
      # crash dialog that waits for a click until the time limit.
      filvex_wine_env timeout -k 10 60 "$FILVEX_WINE" reg add 'HKCU\Software\Wine\WineDbg' \
        /v ShowCrashDialog /t REG_DWORD /d 0 /f
      filvex_wine_env timeout -k 10 120 "$FILVEX_WINESERVER" -w
    ) >"$template.log" 2>&1 || rc=$?
    if [ "$rc" -ne 0 ] || [ ! -f "$tmp/system.reg" ]; then
      echo "wine-env: wineboot failed ($rc); see $template.log" >&2
      filvex_wineserver_kill "$tmp" || true
      rm -rf "$tmp"
      exit 1
    fi
    # Wine links the profile folders (Desktop, Documents, ...) to the host's
    # home when those exist; tests must not see or touch the host's files.
    local link
    while IFS= read -r -d '' link; do
      rm -f "$link" && mkdir -p "$link"
    done < <(find "$tmp/drive_c/users" -maxdepth 2 -type l -print0)
    echo "$version" >"$tmp/.filvex-stamp"
    mv "$tmp" "$template"
  ) 9>"$template.lock"
}

# Gives drive letter $1 (d, e, ...) to folder $2 in prefix $3.
filvex_wine_map_drive() {
  local letter=$1 folder=$2 prefix=${3:-$WINEPREFIX}
  mkdir -p "$folder"
  rm -f "$prefix/dosdevices/$letter:"
  ln -s "$(cd "$folder" && pwd)" "$prefix/dosdevices/$letter:"
}

# Makes prefix $1 from the template, leaving C: as the only drive: without
# z: no walk reaches the host's file system.
filvex_wine_prefix_from_template() {
  local prefix=$1 entry
  filvex_wine_template || return 1
  rm -rf "$prefix"
  mkdir -p "$(dirname "$prefix")"
  # A shared lock: a template being remade (after a Wine upgrade) is never
  # copied half-written.
  (flock -s 9 && cp -a "$FILVEX_WINE_TEMPLATE" "$prefix") 9>"$FILVEX_WINE_TEMPLATE.lock" || return 1
  for entry in "$prefix"/dosdevices/*; do
    [ "$(basename "$entry")" = "c:" ] || rm -f "$entry"
  done
}

# Starts an X server of its own on a free display (Xvfb picks the number
# itself, so concurrent runs never collide) and exports DISPLAY.
# Sets FILVEX_XVFB_PID; filvex_xvfb_stop stops it by that PID.
filvex_xvfb_start() {
  local dir=$1 i
  mkdir -p "$dir"
  rm -f "$dir/xvfb.display"
  Xvfb -displayfd 8 -screen 0 1280x1024x24 -nolisten tcp 8>"$dir/xvfb.display" \
    >"$dir/xvfb.log" 2>&1 &
  FILVEX_XVFB_PID=$!
  echo "$FILVEX_XVFB_PID" >"$dir/xvfb.pid"
  for ((i = 0; i < 100; i++)); do
    if grep -q '^[0-9][0-9]*$' "$dir/xvfb.display" 2>/dev/null; then
      DISPLAY=":$(cat "$dir/xvfb.display")"
      export DISPLAY
      return 0
    fi
    kill -0 "$FILVEX_XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  echo "wine-env: Xvfb did not start; see $dir/xvfb.log" >&2
  filvex_xvfb_stop
  return 1
}

filvex_xvfb_stop() {
  local pid=${FILVEX_XVFB_PID:-} i
  [ -n "$pid" ] || return 0
  kill "$pid" 2>/dev/null || true
  for ((i = 0; i < 50; i++)); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  FILVEX_XVFB_PID=
}

# Prepares run folder $1 (emptied first): prefix, fixture drives D: and E:,
# XDG_DATA_HOME, and an X server. Exports WINEPREFIX, XDG_DATA_HOME, DISPLAY
# and FILVEX_RUN_DIR.
filvex_wine_run_begin() {
  local run=$1
  filvex_wine_run_end
  rm -rf "$run"
  mkdir -p "$run/drives/d" "$run/drives/e" "$run/xdg"
  FILVEX_RUN_DIR=$(cd "$run" && pwd)
  export FILVEX_RUN_DIR
  filvex_wine_prefix_from_template "$FILVEX_RUN_DIR/prefix" || return 1
  filvex_wine_map_drive d "$FILVEX_RUN_DIR/drives/d" "$FILVEX_RUN_DIR/prefix"
  filvex_wine_map_drive e "$FILVEX_RUN_DIR/drives/e" "$FILVEX_RUN_DIR/prefix"
  # Headless runs have no window manager: unmanaged windows spare Wine its
  # wait of about 2 s for a manager at every destroyed main window. Written
  # straight into the registry file before the wineserver starts (no extra
  # Wine start); run.sh's prefix for a real desktop keeps managed windows.
  printf '\n[Software\\\\Wine\\\\X11 Driver] %s\n"Managed"="N"\n' "$(date +%s)" \
    >>"$FILVEX_RUN_DIR/prefix/user.reg"
  export WINEPREFIX="$FILVEX_RUN_DIR/prefix"
  export XDG_DATA_HOME="$FILVEX_RUN_DIR/xdg"
  filvex_xvfb_start "$FILVEX_RUN_DIR"
}

# Ends the current run: stops its wineserver (and every Wine process of the
# run) and its X server. The run folder stays for inspection.
filvex_wine_run_end() {
  if [ -n "${FILVEX_RUN_DIR:-}" ]; then
    filvex_wineserver_kill "$FILVEX_RUN_DIR/prefix" || true
  fi
  filvex_xvfb_stop
}

# Unix path of Windows path $1 (drive letter, backslashes; ASCII only) in
# prefix $2.
filvex_wine_unix_path() {
  local win=$1 prefix=${2:-$WINEPREFIX} letter rest
  letter=${win:0:1}
  letter=${letter,,}
  rest=${win:2}
  rest=${rest//\\//}
  printf '%s/dosdevices/%s:%s\n' "$prefix" "$letter" "$rest"
}

# Copies file $1 into Windows folder $2 (for example 'C:\filvex-tests').
filvex_wine_install() {
  local dest
  dest=$(filvex_wine_unix_path "$2") || return 1
  mkdir -p "$dest" && cp -f "$1" "$dest/"
}

# Runs Windows program $3 ('C:\folder\x.exe') with arguments $4... in the
# current prefix, at most $1 seconds, with the program's folder as working
# directory. Output goes to $2.out and $2.err. Returns the program's exit
# status (124 when it ran out of time).
filvex_wine_exec() {
  local limit=$1 log=$2 exe=$3 dir rc=0
  shift 3
  dir=$(filvex_wine_unix_path "$exe") || return 1
  dir=${dir%/*}
  mkdir -p "$(dirname "$log")"
  # Wine maps the Unix working directory to the Windows one, so starting in
  # the program's folder inside drive_c makes that C:\... the current folder.
  (cd "$dir" && filvex_wine_env timeout -k 10 "$limit" "$FILVEX_WINE" "$exe" "$@") \
    >"$log.out" 2>"$log.err" </dev/null || rc=$?
  return "$rc"
}

# Configures the cross build in folder $1 (Release) and builds target $2;
# the configure output goes to $1.configure.log and is shown on failure.
filvex_build_win_target() {
  local build=$1 target=$2
  cmake -S "$FILVEX_ROOT" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$FILVEX_ROOT/cmake/mingw-toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release >"$build.configure.log" 2>&1 || {
    cat "$build.configure.log" >&2
    return 1
  }
  cmake --build "$build" -j "${FILVEX_JOBS:-2}" --target "$target"
}
