#!/usr/bin/env bash
# Unpacks the Debian package into a throw-away root and checks it: the files
# in their places, the package's dependencies, the AppStream data, and the
# desktop entry's command starting the installed program on a demo
# installation made by the installed orba-make-demo, up to its main window.
# The program folder is made read-only first, as it is under /opt.
#
#   packaging/check-package.sh PACKAGE.deb
set -euo pipefail
deb=${1:?usage: check-package.sh PACKAGE.deb}
[ -f "$deb" ] || { echo "no package $deb: build it with cmake --build build --target deb" >&2; exit 77; }
work=$(mktemp -d)
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
root="$work/root"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

dpkg-deb -x "$deb" "$root"
[ "$(dpkg-deb -f "$deb" Package)" = castellan-orba ] || fail "package name"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6; do
  grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
done

program="$root/opt/castellan/Orba/bin"
for file in "$program/orba" "$program/loadingdlg.so" "$program/Cast32.jpg" "$program/sysedit.bmp" \
            "$program/Help/contents.html" "$program/Helpfr/contents.html" \
            "$root/opt/castellan/Orba/languages/MainMenuen.db" "$root/opt/castellan/Orba/languages/MainMenuen.px" \
            "$root/opt/castellan/Orba/languages/MainMenufr.db" "$root/opt/castellan/Orba/languages/MainMenufr.px" \
            "$root/usr/bin/pdxtool" "$root/usr/bin/orba-stream" "$root/usr/bin/orba-make-demo" \
            "$root/usr/include/castellan/linku.h" \
            "$root/usr/share/applications/ca.castellan.Orba.desktop" \
            "$root/usr/share/icons/hicolor/scalable/apps/ca.castellan.Orba.svg" \
            "$root/usr/share/metainfo/ca.castellan.Orba.metainfo.xml" \
            "$root/usr/share/man/man1/pdxtool.1.gz" "$root/usr/share/doc/castellan-orba/orba.ini.example"; do
  [ -e "$file" ] || fail "missing ${file#"$root"}"
done
[ -x "$program/orba" ] || fail "orba is not executable"
# Stripped, but with the version record the status bar and the about box read.
grep -q ORBAVER "$program/orba" || fail "orba lost its version section"
# Neither the stand-in and test modules nor the build's lock files.
for stray in sample.so samplemtools.so testmodule.so testmtools.so testcreco.so; do
  [ ! -e "$program/$stray" ] || fail "the package ships $stray"
done
if find "$root" -name '*.lock' | grep -q .; then fail "the package ships lock files"; fi
[ "$(readlink "$root/usr/bin/orba")" = ../../opt/castellan/Orba/bin/orba ] || fail "usr/bin/orba is not the link"
gzip -dc "$root/usr/share/man/man1/pdxtool.1.gz" | grep -q '^\.TH PDXTOOL 1' || fail "manual page"
if command -v appstreamcli > /dev/null; then
  appstreamcli validate --no-net "$root/usr/share/metainfo/ca.castellan.Orba.metainfo.xml" > "$work/appstream" 2>&1 \
    || { cat "$work/appstream" >&2; fail "AppStream data"; }
fi
if command -v desktop-file-validate > /dev/null; then
  desktop-file-validate "$root/usr/share/applications/ca.castellan.Orba.desktop" || fail "desktop entry"
fi

# The desktop entry's command, found along a PATH that starts with the
# package's usr/bin as it would with /usr/bin.
exec_line=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/ca.castellan.Orba.desktop")
[ -n "$exec_line" ] || fail "the desktop entry has no Exec"
read -r -a command <<<"${exec_line//%[fFuUick]/}"
export PATH="$root/usr/bin:$PATH"
resolved=$(command -v "${command[0]}") || fail "${command[0]} is not on the PATH"
[ "$(readlink -f "$resolved")" = "$(readlink -f "$program/orba")" ] || fail "Exec does not lead to the program"

# A demo installation's data, the package's program folder.
orba-make-demo "$work/demo" > /dev/null
cat > "$work/orba.ini" <<INI
[Orba]
pgmdrive=$root/opt/castellan
datadrive=$work/demo
language=1
ShowWelcome=N
INI
chmod -R a-w "$root/opt"
cd "$work"
if output=$(env QT_QPA_PLATFORM=offscreen ORBA_STARTUP_PROBE=1 ORBA_SETTINGS="$work/orba.ini" \
              ORBA_USER_SETTINGS="$work/user.ini" timeout 60 "${command[@]}" 2>&1); then
  grep -q '^main-window-shown [0-9]' <<<"$output" || fail "the program did not reach its main window: $output"
else
  fail "the program ended with status $?: $output"
fi
if find "$root/opt" -newer "$work/orba.ini" | grep -q .; then fail "the program wrote into its program folder"; fi

# Where the package really puts it, with no settings file at all: the
# defaults (/opt/castellan, /var/opt/castellan) must find everything. The
# package's /opt and a demo's /var/opt are mounted in a mount namespace of
# their own, so the machine's folders are not touched.
mkdir -p "$work/var-opt"
if unshare -m true 2> /dev/null; then
  if output=$(unshare -m env root="$root" work="$work" QT_QPA_PLATFORM=offscreen ORBA_STARTUP_PROBE=1 \
                ORBA_SETTINGS="$work/absent/orba.ini" ORBA_USER_SETTINGS="$work/absent/user.ini" \
                bash -c 'mount --bind "$root/opt" /opt && mount --bind "$work/var-opt" /var/opt &&
                         orba-make-demo /var/opt/castellan > /dev/null && cd / && timeout 60 orba' 2>&1); then
    grep -q '^main-window-shown [0-9]' <<<"$output" || fail "with the default settings: $output"
  else
    fail "with the default settings, the program ended with status $?: $output"
  fi
else
  echo "note: no mount namespace here; the default paths were not tried" >&2
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "package $(basename "$deb"): files in place, desktop entry starts the program"
