#!/usr/bin/env bash
# Every DLL in Filvex.exe's import table is loaded and initialised before
# WinMain, on every start. The DLLs that only rarely used features need
# (WinINet for the update check, WinMM for the folder view's sound, GDI+ for
# the image preview) are loaded at their first use instead; a direct call to
# one of them would put it back in the table and on every start's path.
#
# Skipped (exit 0) when Filvex.exe has not been built.
set -uo pipefail

root=${FILVEX_ROOT:-$(cd "$(dirname "$0")/../.." && pwd)}
exe=${FILVEX_EXE:-$root/build/win/Filvex.exe}
if [ ! -f "$exe" ]; then
  echo "start_imports: skipped, $exe is not built"
  exit 0
fi
imports=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
if [ -z "$imports" ]; then
  echo "start_imports: no import table read from $exe"
  exit 1
fi
status=0
for dll in wininet.dll winmm.dll gdiplus.dll; do
  if grep -qx "$dll" <<<"$imports"; then
    echo "start_imports: $exe imports $dll, which only a rarely used feature needs"
    status=1
  fi
done
exit $status
