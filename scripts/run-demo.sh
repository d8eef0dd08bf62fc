#!/usr/bin/env bash
# Builds the desktop, prepares the demo installation in build/demo on first
# use, and starts the desktop on it. Without a display it runs under a
# virtual X server (xvfb-run).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
demo="$PWD/build/demo"
[ -f "$demo/orba.ini" ] || build/bin/orba-make-demo "$demo"
# The language tables are built from the texts with the program.
mkdir -p "$demo/Orba/languages"
cp build/languages/MainMenu* "$demo/Orba/languages/"
export ORBA_SETTINGS="$demo/orba.ini"
export ORBA_USER_SETTINGS="$demo/user.ini"
# The language tables are found at ../languages from the program folder.
cd "$demo/Orba/bin"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$OLDPWD/build/bin/orba"
fi
exec "$OLDPWD/build/bin/orba"
