# shellcheck shell=bash
# Shell helpers shared by the scripts: source it (". scripts/lib.sh" from the repository's root, or
# through the script's own path). Defines functions and the variable SUDO only; changes no options.

# "sudo" when not root: for apt-get and dpkg.
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

# phase TITLE: a banner with the seconds since the script started.
phase() { echo; echo "== $1 (at ${SECONDS}s)"; }

# want WORD: WORD is one of the words in $wanted (the phases or parts the caller was asked for).
want() { [[ " ${wanted:?the caller sets wanted} " == *" $1 "* ]]; }

# wait_for SECONDS COMMAND...: runs COMMAND every 0.1 s until it succeeds; fails after SECONDS.
wait_for() {
  local limit=$(($(date +%s) + $1))
  shift
  until "$@"; do
    [ "$(date +%s)" -lt "$limit" ] || return 1
    sleep 0.1
  done
}

# installed PACKAGE: dpkg has PACKAGE (name or name:arch) installed.
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

# need_packages PACKAGE...: installs with apt-get those of the Debian packages that are missing.
need_packages() {
  local p missing=()
  for p in "$@"; do installed "$p" || missing+=("$p"); done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 update -qq &&
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
      --no-install-recommends "${missing[@]}"
}

# start_display [SCREEN]: a virtual X server on a free display (default screen 800x600x24). Sets and
# exports DISPLAY, and sets xvfb_pid; fails when the server does not start within 30 s.
start_display() {
  local fd display
  exec {fd}<> <(:)
  # -noreset: a client that comes and goes before the program must not reset the server under it.
  Xvfb -displayfd "$fd" -screen 0 "${1:-800x600x24}" -nolisten tcp -noreset >/dev/null 2>&1 &
  xvfb_pid=$!
  if ! read -r -t 30 display <&"$fd"; then
    exec {fd}<&-
    echo "Xvfb did not start" >&2
    return 1
  fi
  exec {fd}<&-
  export DISPLAY=:$display
}
# stop_display: ends the server start_display started, and forgets its display: another program may
# take the number next, and what runs later must not reach its server.
stop_display() {
  unset DISPLAY
  [ -n "${xvfb_pid:-}" ] || return 0
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
  xvfb_pid=""
}

# build DIR [cmake options...] [-- targets...]: configures with CMake and Ninja and builds quietly,
# the logs in DIR/configure.log and DIR/build.log; fails on an error and on any compiler warning.
# Uses $root (the source tree) and $jobs (parallel jobs; default: the number of processors).
build() {
  local dir=$1
  shift
  local opts=() targets=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do opts+=("$1"); shift; done
  [ $# -gt 0 ] && { shift; targets=("$@"); }
  mkdir -p "$dir"
  cmake -S "${root:?}" -B "$dir" -G Ninja "${opts[@]}" > "$dir/configure.log" 2>&1 ||
    { cat "$dir/configure.log"; return 1; }
  ninja -C "$dir" -j "${jobs:-$(nproc)}" "${targets[@]}" > "$dir/build.log" 2>&1 ||
    { grep -B2 -A20 -m3 -E "error|FAILED" "$dir/build.log"; return 1; }
  if grep -q "warning:" "$dir/build.log"; then grep -A5 "warning:" "$dir/build.log"; return 1; fi
}

# wine_env PREFIX: the environment of the project's Wine runs: a 64-bit prefix (32-bit programs
# through WoW64), no debug chatter, no .NET or Gecko installers and no menu entries on this machine's
# desktop for what is installed.
wine_env() {
  export WINEPREFIX=$1 WINEARCH=win64 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree=d;mshtml=d;winemenubuilder.exe=d"
}
# fresh_wineserver: a new persistent wineserver (it reads the prefix's port mapping and the display
# as it starts), once used with all pipes closed: Wine's helper processes would otherwise hold the
# caller's pipes open and stall every later run for seconds.
fresh_wineserver() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  wineserver -p
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

# --- screenshots of a window (ImageMagick, xdotool and x11-utils on $DISPLAY) ---------------------
# window_rect WINDOW: "WIDTH HEIGHT X Y" of the window on the screen with the frame a window manager
# put around it (its _NET_FRAME_EXTENTS; none without a manager, where Wine draws its own frame
# inside its window).
window_rect() {
  local x y w h l=0 r=0 t=0 b=0 extents
  read -r x y w h < <(xwininfo -id "$1" | awk '/Absolute upper-left X:/ {x=$4} /Absolute upper-left Y:/ {y=$4}
    /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}')
  extents=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.* = //p' | tr -d ,)
  [ -z "$extents" ] || read -r l r t b <<< "$extents"
  echo "$((w + l + r)) $((h + t + b)) $((x - l)) $((y - t))"
}
# grab_window WINDOW FILE: the window (with its frame) as a PNG without time stamps or other
# metadata, so that the same pixels give the same file.
grab_window() {
  local w h x y
  read -r w h x y < <(window_rect "$1")
  import -window root -crop "${w}x${h}+${x}+${y}" +repage -strip -define png:exclude-chunks=date,time "$2"
}
# shoot_window WINDOW FILE [BEFORE]: grab_window once the window has stopped changing (the same
# pixels three times 0.2 s apart) and, given the file BEFORE, differs from it: what an action
# started has been drawn. Fails after 20 s.
shoot_window() {
  local id=$1 file=$2 before=${3:-} limit=$(($(date +%s) + 20)) same=0 last="" now
  local grab=$file.grab.png
  while [ "$same" -lt 2 ]; do
    [ "$(date +%s)" -lt "$limit" ] || { rm -f "$grab"; echo "the window did not settle: $file" >&2; return 1; }
    sleep 0.2
    grab_window "$id" "$grab" || continue
    now=$(convert "$grab" rgb:- | md5sum)
    if [ -n "$before" ] && [ "$now" = "$(convert "$before" rgb:- | md5sum)" ]; then
      same=0
    elif [ "$now" = "$last" ]; then
      same=$((same + 1))
    else
      same=0
    fi
    last=$now
  done
  mv "$grab" "$file"
}
# side_by_side OUT LEFT RIGHT: the two images beside each other, 16 px apart, top-aligned, on white.
side_by_side() {
  convert "$2" \( -size 16x1 xc:white \) "$3" -background white -gravity North +append +repage -strip \
    -define png:exclude-chunks=date,time "$1"
}
# small_png IN OUT: IN in 256 colours (no dithering: the same pixels give the same file), optimised
# with optipng: a third of the size, for documents; comparisons of pixels take IN.
small_png() {
  convert "$1" +dither -colors 256 -strip -define png:exclude-chunks=date,time "$2"
  optipng -quiet -o2 -strip all "$2"
}
