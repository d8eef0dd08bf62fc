#!/usr/bin/env bash
# Installs the Debian packages the project needs to build, run and test.
# Safe to run repeatedly: it only calls apt-get when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6printsupport6 qt6-qpa-plugins
  # Qt's own dialogs and menus in French.
  qt6-translations-l10n
  libgtest-dev libgmock-dev libbenchmark-dev
  clang clang-format libclang-rt-14-dev
  pxlib-dev
  # bench_commit compares a change's cost with SQLite's.
  libsqlite3-dev
  xvfb xauth x11-utils imagemagick fonts-dejavu-core
  # The scenarios run the program under a window manager, with input sent
  # through the X server (XTest); the screenshots script types with xdotool.
  openbox xdotool libxtst-dev libx11-dev
)

for option in "$@"; do
  case "$option" in
    # What scripts/screenshots.sh needs is in the list above.
    --screenshots) ;;
    # The package test (run by scripts/test.sh) checks the package with
    # Debian's own tools.
    --package) packages+=(lintian desktop-file-utils appstream) ;;
    *)
      echo "usage: install-deps.sh [--screenshots] [--package]" >&2
      exit 2
      ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
