#!/usr/bin/env bash
# Installs the Debian package as a Debian 12 user does and checks what they
# meet, in a clean root made by debootstrap (the machine itself is not
# touched):
#
#   1. apt installs the package and its dependencies from Debian's mirror;
#      the office's group, the data folder and the settings are there;
#   2. lintian (Debian 12's) finds no error and no warning;
#   3. an ordinary account put in the group starts the desktop from its
#      desktop entry under Xvfb: the first start on the empty data folder
#      shows company creation, makes the company, and goes on to the set-up
#      wizard; another member may use the company, an account outside the
#      group may not read the data;
#   4. removal keeps the data and the settings, purge removes the settings
#      only;
#   5. installed over the data of an earlier package (/var/opt/castellan),
#      it says so and makes no second, empty data folder.
#
#   sudo scripts/check-package.sh [PACKAGE.deb]
#   sudo scripts/check-package.sh --prepare      only download the base system
#
# Without PACKAGE.deb, the package is built (cmake --build build --target deb).
# Needs root (debootstrap, chroot, mounts in a mount namespace of its own)
# and Debian's mirror (MIRROR, default http://deb.debian.org/debian). The
# base system is downloaded once into ${XDG_CACHE_HOME:-~/.cache}/castellan-check-package
# and unpacked afresh for every run. Installs debootstrap on the machine when
# it is missing. Takes a few minutes; the summary ends with PASS or FAIL.
set -euo pipefail
cd "$(dirname "$0")/.."
mirror=${MIRROR:-http://deb.debian.org/debian}
suite=bookworm
cache=${XDG_CACHE_HOME:-$HOME/.cache}/castellan-check-package
base=$cache/$suite-minbase.tgz
group=castellan
datadrive=/var/lib/castellan
settings=/etc/castellan/orba.ini
package_name=castellan-orba

[ "$(id -u)" -eq 0 ] || { echo "check-package.sh: run it as root (sudo)" >&2; exit 2; }
if ! command -v debootstrap > /dev/null; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap > /dev/null
fi

prepare() {
  if [ ! -f "$base" ]; then
    mkdir -p "$cache"
    echo "== downloading the $suite base system into $base"
    debootstrap --variant=minbase --make-tarball="$base.part" "$suite" "$cache/work" "$mirror" > "$cache/debootstrap.log" 2>&1 ||
      { tail -n 20 "$cache/debootstrap.log" >&2; exit 1; }
    rm -rf "$cache/work"
    mv "$base.part" "$base"
  fi
}
if [ "${1:-}" = "--prepare" ]; then
  prepare
  exit 0
fi

# The rest runs in a mount namespace of its own: its mounts go with it.
if [ "${ORBA_CHECK_INSIDE:-}" != 1 ]; then
  deb=${1:-}
  if [ -z "$deb" ]; then
    cmake --build build --target deb
    deb=$(ls -t build/packages/${package_name}_*.deb | head -n 1)
  fi
  [ -f "$deb" ] || { echo "check-package.sh: no package $deb" >&2; exit 2; }
  prepare
  ORBA_CHECK_INSIDE=1 exec unshare --mount --propagation private -- "$0" "$(realpath "$deb")"
fi
deb=$1

work=$(mktemp -d /var/tmp/check-package.XXXXXX)
root=$work/root
log=$work/log
failures=0
passes=0
results=()
pass() { results+=("PASS: $*"); passes=$((passes + 1)); echo "PASS: $*"; }
fail() { results+=("FAIL: $*"); failures=$((failures + 1)); echo "FAIL: $*"; }
check() {  # check DESCRIPTION COMMAND...: passes when the command succeeds
  local what=$1
  shift
  if "$@" >> "$log" 2>&1; then pass "$what"; else fail "$what"; fi
}
cleanup() {
  umount -R "$root/proc" "$root/dev" "$root/sys" 2> /dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive "$@"; }
as_user() {  # as_user ACCOUNT COMMAND...
  local account=$1
  shift
  in_root runuser -u "$account" -- env HOME="/home/$account" USER="$account" "$@"
}
mode_of() { in_root stat -c '%a %U:%G' "$1"; }

echo "== a clean $suite root in $root"
debootstrap --variant=minbase --unpack-tarball="$base" "$suite" "$root" "$mirror" > "$log" 2>&1 ||
  { tail -n 20 "$log" >&2; exit 1; }
mount -t proc proc "$root/proc"
mount --rbind /dev "$root/dev"
mount --rbind /sys "$root/sys"
cp /etc/resolv.conf "$root/etc/resolv.conf"
in_root apt-get update -qq >> "$log" 2>&1

echo "== 1. installing $(basename "$deb") with apt"
cp "$deb" "$root/tmp/$package_name.deb"
if in_root apt-get install -y "/tmp/$package_name.deb" > "$work/install.log" 2>&1; then
  pass "apt installed the package: $(grep -Eo '[0-9]+ newly installed' "$work/install.log")"
else
  tail -n 30 "$work/install.log"
  fail "apt could not install the package"
fi
check "the group $group exists" in_root getent group "$group"
for folder in "$datadrive/Orba" "$datadrive/Orba/data"; do
  got=$(mode_of "$folder" 2> /dev/null || echo missing)
  if [ "$got" = "2770 root:$group" ]; then pass "$folder is 2770 root:$group"; else fail "$folder is $got"; fi
done
check "$settings is there, a configuration file" in_root sh -c "test -f $settings && dpkg-query -W -f='\${Conffiles}' $package_name | grep -q ' $settings '"
check "/usr/bin/orba leads to the program" in_root test "$(in_root readlink -f /usr/bin/orba)" = /usr/lib/castellan/Orba/bin/orba
version=$(in_root env -u DISPLAY orba --version 2>&1 || true)
if [ "$version" = "orba (Castellan/Orba) $(dpkg-deb -f "$deb" Version)" ]; then
  pass "orba --version without a display: $version"
else
  fail "orba --version without a display: $version"
fi
before=$(mode_of "$datadrive/Orba")
check "configuring again changes nothing" in_root "/var/lib/dpkg/info/$package_name.postinst" configure "$(dpkg-deb -f "$deb" Version)"
check "... the data folder stays $before" test "$(mode_of "$datadrive/Orba")" = "$before"

echo "== 2. lintian"
in_root apt-get install -y --no-install-recommends lintian >> "$log" 2>&1
in_root adduser --disabled-password --gecos "" --quiet packager >> "$log" 2>&1
cp "$deb" "$root/home/packager/"
as_user packager lintian --display-info --show-overrides "/home/packager/$(basename "$deb")" > "$work/lintian.log" 2>&1 || true
# One line per tag: how often, and of what kind.
grep -E '^[EWIPOX]: ' "$work/lintian.log" | awk '{print $1, $3}' | sort | uniq -c | sed 's/^/    /'
if grep -q '^[EW]: ' "$work/lintian.log"; then
  fail "lintian: $(grep -c '^E: ' "$work/lintian.log") errors, $(grep -c '^W: ' "$work/lintian.log") warnings"
else
  pass "lintian: no error, no warning, $(grep -c '^I: ' "$work/lintian.log" || true) informational, $(grep -c '^O: ' "$work/lintian.log" || true) overridden"
fi

echo "== 3. a member of $group starts the desktop for the first time"
in_root apt-get install -y --no-install-recommends xvfb xauth x11-utils x11-apps xdotool >> "$log" 2>&1
for account in marie john guest; do in_root adduser --disabled-password --gecos "" --quiet "$account" >> "$log" 2>&1; done
in_root adduser --quiet marie "$group" >> "$log" 2>&1
in_root adduser --quiet john "$group" >> "$log" 2>&1
cp scripts/check-package-first-start.sh "$root/tmp/first-start.sh"
if as_user marie bash /tmp/first-start.sh > "$work/first-start.log" 2>&1; then
  sed 's/^/    /' "$work/first-start.log"
  pass "marie's first start: company creation, the company made, the set-up wizard"
else
  sed 's/^/    /' "$work/first-start.log"
  fail "marie's first start (above)"
fi
# The wizard's window as it was drawn, kept as a picture when ImageMagick
# is here: a window left blank would be all one colour.
picture=${CHECK_PACKAGE_SCREENSHOT:-/tmp/check-package-wizard.png}
if [ -f "$root/tmp/first-start.xwd" ] && command -v convert > /dev/null &&
  convert "xwd:$root/tmp/first-start.xwd" "$picture" 2>> "$log"; then
  if [ "$(convert "$picture" -format '%[fx:standard_deviation > 0.05]' info:)" = 1 ]; then
    pass "the set-up wizard is drawn ($picture)"
  else
    fail "the set-up wizard's window is blank ($picture)"
  fi
fi
company=$datadrive/Orba/data1
got=$(mode_of "$company" 2> /dev/null || echo missing)
if [ "$got" = "2770 marie:$group" ]; then pass "company 1 is the group's: $company $got"; else fail "company 1: $company $got"; fi
got=$(mode_of "$datadrive/Orba/data/user.db" 2> /dev/null || echo missing)
if [ "$got" = "660 marie:$group" ]; then pass "the users table is the group's: $got"; else fail "the users table: $got"; fi
check "another member (john) reads company 1's clients" as_user john pdxtool info "$company/cli.DB"
check "another member (john) may write in company 1" as_user john test -w "$company/cli.DB"
check "an account outside the group (guest) cannot read the data" as_user guest sh -c "! ls $datadrive/Orba/data"

echo "== 4. removal and purge"
in_root apt-get remove -y "$package_name" >> "$log" 2>&1 || fail "apt-get remove"
check "removed: the program is gone" in_root test ! -e /usr/lib/castellan/Orba/bin/orba
check "removed: the data are kept" in_root test -f "$company/cli.DB"
check "removed: the settings are kept" in_root test -f "$settings"
in_root apt-get purge -y "$package_name" >> "$log" 2>&1 || fail "apt-get purge"
check "purged: the settings are gone" in_root test ! -e /etc/castellan
check "purged: the data are kept" in_root test -f "$company/cli.DB"
check "purged: the group is kept (it owns the data)" in_root getent group "$group"

echo "== 5. installing over the data of an earlier package (/var/opt/castellan)"
in_root mkdir -p /var/opt/castellan
in_root mv "$datadrive/Orba" /var/opt/castellan/Orba
in_root apt-get install -y "/tmp/$package_name.deb" > "$work/earlier.log" 2>&1 || fail "apt-get install over earlier data"
grep '^castellan-orba: ' "$work/earlier.log" | sed 's/^/    /'
check "installation says where the earlier data are" grep -q "data of an earlier installation are in /var/opt/castellan/Orba" "$work/earlier.log"
check "... and makes no second, empty data folder" in_root test ! -e "$datadrive/Orba"
check "... and leaves the earlier data alone" in_root test -f /var/opt/castellan/Orba/data1/cli.DB

echo
echo "== summary: $(basename "$deb") in a clean Debian $suite root"
printf '%s\n' "${results[@]}"
if [ "$failures" -ne 0 ]; then
  echo "FAIL: $failures of $((passes + failures)) checks failed (details: rerun, or see the steps above)"
  exit 1
fi
echo "PASS: all $passes checks"
