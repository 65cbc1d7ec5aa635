#!/usr/bin/env bash
# Installs what building and testing Filvex needs on Debian 12, and only what
# is missing: when everything is present it touches no package index and
# returns in well under a second. Needs root for apt-get and locale-gen; as
# another user it prints the command to run and fails.
set -euo pipefail

# Needed by every build and test run.
required=(
  cmake make g++                      # native build
  libgtest-dev                        # native tests
  googletest                          # sources in /usr/src/googletest, built by the cross build
  g++-mingw-w64-x86-64-posix          # cross build (Filvex.exe, Windows tests)
  wine64                              # runs the Windows tests and the program
  xvfb xauth                          # a display of its own per test run
  x11-apps netpbm                     # xwd and xwdtopnm/pnmtopng: screenshots as PNG
  locales                             # ja_JP.UTF-8 gives Wine the code page 932
  fonts-ipafont-gothic                # Japanese glyphs in windows and screenshots
)
# Wanted but not required: clang builds the libFuzzer targets.
optional=(clang)

# Prints the packages of "$@" that are not installed.
missing_of() {
  local pkg status
  for pkg in "$@"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null || true)
    [ "$status" = installed ] || echo "$pkg"
  done
}

has_ja_locale() {
  locale -a 2>/dev/null | grep -qiE '^ja_JP\.utf-?8$'
}

mapfile -t need < <(missing_of "${required[@]}")
mapfile -t want < <(missing_of "${optional[@]}")
need_locale=0
has_ja_locale || need_locale=1

if [ "${#need[@]}" -eq 0 ] && [ "${#want[@]}" -eq 0 ] && [ "$need_locale" -eq 0 ]; then
  exit 0
fi

apt_cmd="apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends"
locale_cmd="(grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen) && locale-gen"

if [ "$(id -u)" -ne 0 ]; then
  cmds=()
  if [ "${#need[@]}" -gt 0 ] || [ "${#want[@]}" -gt 0 ]; then
    cmds+=("$apt_cmd ${need[*]}${want[*]:+ ${want[*]}}")
  fi
  [ "$need_locale" -eq 1 ] && cmds+=("$locale_cmd")
  joined=$(printf ' && %s' "${cmds[@]}")
  # Only optional packages missing: building and testing still work.
  if [ "${#need[@]}" -eq 0 ] && [ "$need_locale" -eq 0 ]; then
    echo "install-deps: optional ${want[*]} missing (for the fuzz targets); to add:" >&2
    echo "  sudo sh -c \"${joined:4}\"" >&2
    exit 0
  fi
  echo "install-deps: packages or the ja_JP.UTF-8 locale are missing; run as root:" >&2
  echo "  sudo sh -c \"${joined:4}\"" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
if [ "${#need[@]}" -gt 0 ] || [ "${#want[@]}" -gt 0 ]; then
  echo "install-deps: installing ${need[*]} ${want[*]}" >&2
  apt-get update -q >/dev/null
  if [ "${#need[@]}" -gt 0 ]; then
    apt-get install -y -q --no-install-recommends "${need[@]}"
  fi
  if [ "${#want[@]}" -gt 0 ]; then
    apt-get install -y -q --no-install-recommends "${want[@]}" ||
      echo "install-deps: could not install ${want[*]}; the fuzz targets will not build" >&2
  fi
fi

# Installing locales may have created /etc/locale.gen just now.
if ! has_ja_locale; then
  echo "install-deps: generating the locale ja_JP.UTF-8" >&2
  touch /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
  locale-gen >/dev/null
  has_ja_locale || { echo "install-deps: ja_JP.UTF-8 is still missing" >&2; exit 1; }
fi
