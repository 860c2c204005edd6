#!/usr/bin/env bash
# Installs the Debian packages the program, its tests and its benchmarks need, with clang and its
# sanitizer runtimes for tools/sanitize.sh; does nothing when they are all there already.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n
  libsqlite3-dev sqlite3 libicu-dev
  tzdata
  mdbtools-dev
  libgsf-1-dev
  python3-xlrd
  libbenchmark-dev
  fonts-noto-cjk fonts-arphic-uming
  xvfb xauth xdotool
  poppler-utils
  clang-14 libclang-rt-14-dev llvm-14
  qt6-svg-dev dpkg-dev lintian desktop-file-utils appstream
  qt6-charts-dev libqt6opengl6-dev
  libquazip1-qt6-dev python3-openpyxl
  libpq-dev postgresql
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
