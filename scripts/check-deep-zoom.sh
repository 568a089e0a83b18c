#!/usr/bin/env bash
# Opens a Deep Zoom picture's page in headless Chromium, twice: served over HTTP from
# localhost (python3 -m http.server) and straight from the disk (file://). Each time it
# checks that the page loads, the viewer opens the picture with no error, tiles are drawn
# (the view is not blank), and zooming in loads the tiles of the full size, a deeper
# level than the first view's. Not run by CI: it needs Chromium and the npm registry.
#
#   scripts/check-deep-zoom.sh [PICTURE.dzi | PICTURE.html] [SHOTS_FOLDER]
#
# Without a picture (or with "" for it) it renders a 4000 x 3000 poster with
# build/marvane-render -o poster.dzi. A picture given should be larger than the
# 1000 x 700 window, so that zooming in has a deeper level to load.
# The screenshots (home and zoomed in, each way) go to SHOTS_FOLDER, by default a
# temporary folder that is kept and named at the end. Installs chromium (Debian's) when
# it is missing, and playwright-core, at the version below, into a temporary folder.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
PLAYWRIGHT_VERSION=1.65.2
say() { printf 'check-deep-zoom: %s\n' "$*" >&2; }
fail() { say "$*"; exit 1; }

work="$(mktemp -d)"
server=""
# shellcheck disable=SC2317  # run by the trap below
cleanup() {
  if [[ -n "$server" ]]; then kill "$server" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

missing=()
[[ -x /usr/bin/chromium ]] || missing+=(chromium)
command -v node >/dev/null || missing+=(nodejs)
command -v npm >/dev/null || missing+=(npm)
if ((${#missing[@]})); then
  say "installing ${missing[*]}"
  sudo=()
  if [[ "$(id -u)" != 0 ]]; then
    command -v sudo >/dev/null || fail "need root or sudo to install: ${missing[*]}"
    sudo=(sudo)
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The picture: the page beside the .dzi, or a poster rendered now.
if (($# >= 1)) && [[ -n "$1" ]]; then
  given="$(realpath "$1")"
  case "$given" in
    *.dzi | *.DZI) page="${given%.*}.html" dzi="$given" ;;
    *.html) page="$given" dzi="${given%.html}.dzi" ;;
    *) fail "$1 is neither a .dzi nor a .html" ;;
  esac
else
  renderer="$ROOT/build/marvane-render"
  [[ -x "$renderer" ]] || fail "build marvane-render first (./marvane build), or name a .dzi to check"
  mkdir -p "$work/poster"
  dzi="$work/poster/poster.dzi" page="$work/poster/poster.html"
  flags=(-q --seed 1 --board 4000x3000 --tile "$ROOT/build/share/Tiles/Basic.bmp")
  say "rendering a 4000 x 3000 poster as $dzi"
  "$renderer" "${flags[@]}" -o "$dzi" || fail "marvane-render failed"
fi
[[ -f "$page" ]] || fail "no page $page"
[[ -f "$dzi" ]] || fail "no descriptor $dzi"
shots="${2:-$(mktemp -d /tmp/check-deep-zoom-XXXXXX)}"
mkdir -p "$shots"

# The full size's level: the number of halvings down to 1 x 1.
read -r width height < <(sed -n 's/.*<Size Width="\([0-9]*\)" Height="\([0-9]*\)".*/\1 \2/p' "$dzi")
[[ -n "${width:-}" && -n "${height:-}" ]] || fail "$dzi has no <Size Width=... Height=...>"
level=0 side=$((width > height ? width : height))
while ((side > 1)); do side=$(((side + 1) / 2)); level=$((level + 1)); done
say "$(basename "$dzi"): $width x $height, levels 0 to $level"

say "installing playwright-core $PLAYWRIGHT_VERSION into a temporary folder"
PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm install --prefix "$work/playwright" --no-save --no-package-lock \
  --no-audit --no-fund --loglevel=error "playwright-core@$PLAYWRIGHT_VERSION" >&2

# A server on a port the system picks; it says which on its first line.
folder="$(dirname "$page")"
python3 -u -m http.server 0 --bind 127.0.0.1 --directory "$folder" >"$work/server.log" 2>&1 &
server=$!
port=""
for _ in $(seq 50); do
  port="$(sed -n 's/.* port \([0-9]*\).*/\1/p' "$work/server.log" | head -1)"
  [[ -n "$port" ]] && break
  sleep 0.1
done
[[ -n "$port" ]] || fail "the local web server did not start: $(cat "$work/server.log")"
name="$(python3 -c 'import sys, urllib.parse; print(urllib.parse.quote(sys.argv[1]))' "$(basename "$page")")"
file_url="$(python3 -c 'import sys, pathlib; print(pathlib.Path(sys.argv[1]).as_uri())' "$page")"

mkdir -p "$work/profile"
status=0
node "$ROOT/scripts/check-deep-zoom.cjs" "$work/playwright" "$work/profile" "$shots" "$level" \
  "http://127.0.0.1:$port/$name" "$file_url" || status=$?
say "screenshots in $shots"
exit "$status"
