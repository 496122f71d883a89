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
  Xvfb -displayfd "$fd" -screen 0 "${1:-800x600x24}" -nolisten tcp >/dev/null 2>&1 &
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
