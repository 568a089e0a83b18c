#!/usr/bin/env bash
# Checks what a built package holds, without installing it:
#   scripts/check-deb.sh marvane_VERSION_ARCH.deb "marvane-render VERSION"
# the control fields (name, the programs' own version, section, computed dependencies)
# and the files (each program, page and desktop file in its place, nothing outside /usr).
set -euo pipefail
deb="$1" version="${2##* }"
fail() { printf 'check-deb: %s: %s\n' "$deb" "$*" >&2; exit 1; }

field() { dpkg-deb -f "$deb" "$1"; }
[[ "$(field Package)" == marvane ]] || fail "Package is $(field Package)"
[[ "$(field Version)" == "$version" ]] || fail "Version $(field Version), but the programs say $version"
[[ "$(field Section)" == graphics ]] || fail "Section is $(field Section)"
[[ "$deb" == */marvane_"${version}"_"$(field Architecture)".deb ]] || fail "the file name is not marvane_VERSION_ARCH.deb"
depends="$(field Depends)"
# dpkg-shlibdeps found the linked libraries; the plugins are named by hand.
for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libpng16-16 libtiff6 libwebp7 qt6-qpa-plugins; do
  [[ ", $depends," == *", $lib "* || ", $depends," == *", $lib,"* ]] || fail "Depends lacks $lib: $depends"
done
[[ "$(field Description | wc -l)" -ge 4 ]] || fail "the description has no long part"

files="$(dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|')"
for f in /usr/bin/marvane /usr/bin/marvane-render /usr/bin/marvane-start \
         /usr/share/marvane/start.sh /usr/share/marvane/HelpTxt.txt /usr/share/marvane/Tiles/Basic.bmp \
         /usr/share/marvane/TileGrid.bmp /usr/share/marvane/splash.bmp \
         /usr/share/marvane/viewer/openseadragon/{openseadragon.min.js,LICENSE.txt,images/zoomin_rest.png} \
         /usr/share/applications/marvane.desktop /usr/share/metainfo/org.marvane.marvane.metainfo.xml \
         /usr/share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/marvane.png \
         /usr/share/man/man1/{marvane,marvane-render,marvane-start}.1.gz \
         /usr/share/bash-completion/completions/marvane-render \
         /usr/share/doc/marvane/copyright /usr/share/doc/marvane/changelog.gz; do
  grep -qxF "$f" <<<"$files" || fail "does not hold $f"
done
outside="$(grep -v '^/usr/\?' <<<"$files" | grep -vx '/' || true)"
[[ -z "$outside" ]] || fail "holds files outside /usr: $outside"
# Programs owned by root and executable; nothing but the programs and scripts executable.
executables="$(dpkg-deb -c "$deb" | awk '$1 ~ /^-..x/ { print $2 " " $6 }' | sed 's| \./| /|' | sort)"
expected="$(printf 'root/root %s\n' /usr/bin/marvane /usr/bin/marvane-render /usr/bin/marvane-start \
            /usr/share/marvane/start.sh | sort)"
[[ "$executables" == "$expected" ]] || fail "executable files: $executables"
echo "check-deb: $deb holds what it should (Depends: $depends)"
