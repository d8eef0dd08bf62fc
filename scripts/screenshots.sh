#!/usr/bin/env bash
# Takes the screenshots in docs/screenshots under a real X server: a fresh
# demo installation with every module installed, the desktop at its first
# size (750 x 520), a user logged in, the window captured with its title bar
# as the window manager draws it.
#
#   scripts/screenshots.sh [OUT_DIR]        (default docs/screenshots)
#
# Needs Xvfb, openbox, xdotool and ImageMagick (scripts/install-deps.sh
# --screenshots installs them).
set -euo pipefail
bash "$(dirname "$0")/install-deps.sh" --screenshots
cd "$(dirname "$0")/.."
root="$PWD"
out="${1:-$root/docs/screenshots}"
mkdir -p "$out"
work=$(mktemp -d)
display=":$((90 + RANDOM % 100))"
cleanup() {
  [ -n "${orba_pid:-}" ] && kill "$orba_pid" 2>/dev/null || true
  [ -n "${wm_pid:-}" ] && kill "$wm_pid" 2>/dev/null || true
  [ -n "${x_pid:-}" ] && kill "$x_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

build/bin/orba-make-demo "$work" > /dev/null
mkdir -p "$work/Orba/languages"
cp build/languages/MainMenu* "$work/Orba/languages/"
cp -r help/Help help/Helpfr help/images "$work/Orba/bin/"
# Tracker and job cost installed: all fourteen menus show.
printf 'tracker=Y\nJobCost=Y\n' >> "$work/orba.ini"
# Their files set up, so that no set-up notice comes first.
for company in "$work"/Orba/data[0-9]*; do : > "$company/jcctrl.db"; done

Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp > /dev/null 2>&1 &
x_pid=$!
export DISPLAY="$display"
for _ in $(seq 50); do xdpyinfo > /dev/null 2>&1 && break; sleep 0.1; done
openbox > /dev/null 2>&1 &
wm_pid=$!
sleep 1

# Starts the desktop from another folder than the program folder (as a
# desktop entry would), logs in with a password and waits for the caption.
login() {
  local password=$1
  rm -f "$work/user.ini"
  ( cd / && ORBA_SETTINGS="$work/orba.ini" ORBA_USER_SETTINGS="$work/user.ini" \
      exec "$root/build/bin/orba" ) > "$work/orba.log" 2>&1 &
  orba_pid=$!
  xdotool search --sync --onlyvisible --name '^(Password Dialog|Mot de passe)$' > /dev/null
  sleep 0.5
  xdotool type --delay 40 "$password"
  xdotool key Return
  window=$(xdotool search --sync --onlyvisible --name '2[0-9][0-9][0-9] $' | head -n 1)
  sleep 1
}
# The window with its frame, and whatever lies on it (open menus are windows
# of their own): a crop of the whole screen.
shot() {
  local x y w h l r t b
  x=$(xwininfo -id "$window" | awk '/Absolute upper-left X/ {print $4}')
  y=$(xwininfo -id "$window" | awk '/Absolute upper-left Y/ {print $4}')
  w=$(xwininfo -id "$window" | awk '/Width:/ {print $2}')
  h=$(xwininfo -id "$window" | awk '/Height:/ {print $2}')
  read -r l r t b < <(xprop -id "$window" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
  import -window root -crop "$((w + l + r))x$((h + t + b))+$((x - l))+$((y - t))" +repage "$out/$1"
  echo "$out/$1"
}
quit() {
  kill "$orba_pid" 2>/dev/null || true
  wait "$orba_pid" 2>/dev/null || true
  orba_pid=
}

# English (clerk): the menu bar on two rows, receivables open.
login clerk
shot menu-bar-750-en.png
xdotool key alt+r
sleep 0.5
shot menu-bar-750-en-receivables.png
xdotool key Escape
quit

# French (admin): the same bar, and a menu of the second row reached with
# the arrow keys from the first.
login admin
shot menu-bar-750-fr.png
xdotool key alt+g
sleep 0.5
# Right moves to the next menu, or into a highlighted submenu first (the
# system menu opens on one).
for _ in $(seq 9); do xdotool key Right; sleep 0.3; done
sleep 0.5
shot menu-bar-750-fr-second-row.png
xdotool key Escape
quit

# The wallpaper: the desktop made larger, the demo tile repeated from the
# inner corner.
login clerk
xdotool windowsize "$window" 1000 680
sleep 1
shot desktop-wallpaper-1000.png
quit

# A working session kept: the administrator opens the client and product
# lists, moves and enlarges them, adds two shortcuts and renames one,
# writes a to-do line and quits; the next start shows the same desktop.
# Positions are on the wallpaper of the 1000 x 700 window.
login admin
xdotool windowsize "$window" 1000 700
xdotool windowmove "$window" 100 40
sleep 1
wx=$(xwininfo -id "$window" | awk '/Absolute upper-left X/ {print $4}')
client_y=$(xwininfo -id "$window" | awk '/Absolute upper-left Y/ {print $4}')
# The wallpaper starts below the menu bar: one row of 20 pixels, or two
# when the installed modules' menus do not fit (the bar is light, the
# wallpaper dark).
wy=$(( client_y + 20 ))
level=$(import -window root -crop "1x1+$(( wx + 500 ))+$(( client_y + 30 ))" +repage -colorspace Gray -format '%[fx:int(255*p{0,0})]' info:)
if [ "$level" -gt 128 ]; then wy=$(( client_y + 40 )); fi
at() { echo $(( wx + $1 )) $(( wy + $2 )); }
double_click() { xdotool mousemove $(at "$1" "$2") click --repeat 2 --delay 80 1; sleep 0.7; }
drag() {  # from x y, by dx dy, in n steps
  local x=$(( wx + $1 )) y=$(( wy + $2 )) n=$5 i
  xdotool mousemove $x $y mousedown 1
  for i in $(seq "$n"); do xdotool mousemove $(( x + $3 * i / n )) $(( y + $4 * i / n )); sleep 0.05; done
  xdotool mouseup 1
  sleep 0.4
}
new_shortcut() {  # the option so many lines down the list
  xdotool mousemove $(at 949 600) click 3
  sleep 0.6
  xdotool key Down Down Return
  sleep 1
  for _ in $(seq "$1"); do xdotool key Down; done
  xdotool key Return
  sleep 0.8
}
double_click 52 25                     # the Clients icon
double_click 52 312                    # the Products icon
drag 324 141 175 196 7                 # the product list, by its title row
xdotool mousemove $(at 691 59) click 1  # the client list's enlarge button
sleep 0.4
new_shortcut 4
drag 340 300 540 -240 8
new_shortcut 6
drag 340 300 540 -130 8
xdotool mousemove $(at 880 150) click 3  # the second shortcut's properties
sleep 0.6
xdotool key Down Return
sleep 1
xdotool key ctrl+a
xdotool type --delay 30 "Conciliation"
xdotool key Return
sleep 0.6
double_click 52 382                    # the to-do icon
xdotool mousemove $(at 380 226) click 1
xdotool type --delay 30 "Appeler Gagnon pour la facture"
sleep 0.5
shot desktop-before-quit.png
xdotool key alt+q
wait "$orba_pid" 2>/dev/null || true
orba_pid=
login admin
xdotool windowsize "$window" 1000 700
xdotool windowmove "$window" 100 40
sleep 1
shot desktop-after-restart.png
quit
# The same desktop: only the text cursor and the focus may differ.
differing=$(compare -metric AE "$out/desktop-before-quit.png" "$out/desktop-after-restart.png" null: 2>&1 || true)
echo "pixels differing after the restart: $differing"
if [ "${differing%%.*}" -gt 5000 ] 2>/dev/null; then
  echo "the desktop did not come back as it was saved" >&2
  exit 1
fi

# The components by themselves: the seven frame styles of the icon button
# (enabled, disabled, pressed) over the demo wallpaper, and a list panel's
# grid over the demo clients.
gallery() {
  local title=$1 file=$2
  shift 2
  build/bin/desktop_gallery "$@" > "$work/gallery.log" 2>&1 &
  orba_pid=$!
  window=$(xdotool search --sync --onlyvisible --name "^$title\$" | head -n 1)
  sleep 1
  shot "$file"
  quit
}
gallery 'Transparent buttons' transparent-button-styles.png buttons "$work/Orba/bin/Cast32.jpg"
gallery 'Clients' grid-demo-clients.png grid "$work/Orba/data1"

# The small windows, translated: each page of the set-up wizard in both
# languages, the welcome window, the about box, the contact window and two
# pages of the help.
small() {
  local title=$1 file=$2
  shift 2
  build/bin/shell_gallery "$work/Orba/bin" "$@" > "$work/gallery.log" 2>&1 &
  orba_pid=$!
  window=$(xdotool search --sync --onlyvisible --name "^$title\$" | head -n 1)
  sleep 1
  shot "$file"
  quit
}
for page in 1 2 3 4 5; do
  small 'Setup Wizard' "wizard-page$page-en.png" en wizard "$page"
  small 'Assistant de configuration' "wizard-page$page-fr.png" fr wizard "$page"
done
small 'Welcome' welcome-en.png en welcome
small 'Bienvenue' welcome-fr.png fr welcome
small 'About' about-en.png en about /var/lib/castellan
small 'Contact us' contact-en.png en contact
small 'Nous joindre' contact-fr.png fr contact
small 'Help' help-introduction-en.png en help Introduction
small 'Aide' help-desktop-fr.png fr help Desktop
