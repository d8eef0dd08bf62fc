#!/usr/bin/env bash
# Builds the desktop, prepares the demo installation in build/demo on first
# use, and starts the desktop on it. Without a display it runs under a
# virtual X server (xvfb-run).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
demo="$PWD/build/demo"
# Makes what is missing and leaves the rest (a user's changes included) alone.
build/bin/orba-make-demo "$demo" > /dev/null
# The language tables are built from the texts with the program.
mkdir -p "$demo/Orba/languages"
cp build/languages/MainMenu* "$demo/Orba/languages/"
# The help books, one folder per language, beside their pictures.
cp -r help/Help help/Helpfr help/images "$demo/Orba/bin/"
# The sample module stands in for the accounting modules under these options.
for option in gl03 gl04 gl07 gl08 gl18 gl19 ar04 ar05 ar06 ap03 ap04 fa02 fa03 \
              iv02 cf01 ut02 trkcreate; do
  cp build/bin/sample.so "$demo/Orba/bin/$option.so"
done
# Company creation and maintenance are the program's own.
for option in creco mcomp; do cp "build/bin/$option.so" "$demo/Orba/bin/$option.so"; done
# The list maintenance options (clients, suppliers, accounts, employees,
# products) are the program's own.
for option in ar01 ap01 gl01 pa101 iv01; do cp "build/bin/$option.so" "$demo/Orba/bin/$option.so"; done
# Users and rights, and the Tools menu's maintenance, are the program's own.
for option in ut03 mtools; do cp "build/bin/$option.so" "$demo/Orba/bin/$option.so"; done
export ORBA_SETTINGS="$demo/orba.ini"
export ORBA_USER_SETTINGS="$demo/user.ini"
# The language tables are found at ../languages from the program folder.
cd "$demo/Orba/bin"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$OLDPWD/build/bin/orba"
fi
exec "$OLDPWD/build/bin/orba"
