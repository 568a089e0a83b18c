#!/usr/bin/env bash
# Installs the package on a fresh Debian 12 and uses it as a person would. As root:
#   scripts/check-package.sh [build/marvane_VERSION_ARCH.deb]   (default: the one in build/)
# First lintian on the package (no errors allowed). Then, in a minimal debootstrap chroot
# under a temporary folder, made from the mirror apt already uses (or $MIRROR):
#   apt install ./marvane_*.deb brings the package and its dependencies;
#   marvane-render in a temporary folder writes the same bytes as the build tree's;
#   the desktop entry validates, and its Exec starts marvane, whose console shows on a
#   virtual display;
#   man marvane-render shows the page, and bash completes the renderer's flags;
#   apt remove marvane leaves nothing of it under /usr.
# The chroot and everything in it are removed at the end.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
say() { printf 'check-package: %s\n' "$*"; }
fail() { printf 'check-package: FAILED: %s\n' "$*" >&2; exit 1; }

[[ "$(id -u)" == 0 ]] || fail "run as root: debootstrap and chroot need it"
deb="${1:-}"
if [[ -z "$deb" ]]; then
  debs=("$ROOT"/build/marvane_*.deb)
  [[ -f "${debs[0]}" ]] || fail "no package in build/: run ./marvane package first"
  deb="${debs[0]}"
fi
deb="$(readlink -f "$deb")"
render="$ROOT/build/marvane-render"
[[ -x "$render" ]] || fail "$render is not built"

export DEBIAN_FRONTEND=noninteractive
for tool in debootstrap lintian; do
  command -v "$tool" >/dev/null || apt-get install -y -qq --no-install-recommends "$tool" >/dev/null
done

say "lintian $(basename "$deb")"
# Informational tags too; lintian's own notice about running as root is not about the package.
lint="$(lintian --display-info --tag-display-limit 0 "$deb" 2>&1 | grep -v 'root privileges' || true)"
printf '%s\n' "${lint:-(nothing to report)}" | sed 's/^/  /'
if grep -q '^E:' <<<"$lint"; then fail "lintian reports errors"; fi

# The mirror of apt's own sources, in either format.
mirror="${MIRROR:-$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources 2>/dev/null |
  grep -oE '(URIs:|^deb) +https?://[^ ]+/debian/?( |$)' | grep -oE 'https?://[^ ]+' | head -n1 || true)}"
[[ -n "$mirror" ]] || fail "no Debian mirror in /etc/apt/sources.list*: set MIRROR"

work="$(mktemp -d /tmp/marvane-check.XXXXXX)"
target="$work/debian"
cleanup() {
  for m in dev/pts dev proc sys; do umount -l "$target/$m" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

say "debootstrap bookworm (minbase) from $mirror"
debootstrap --variant=minbase bookworm "$target" "$mirror" >"$work/debootstrap.log" 2>&1 ||
  { tail -20 "$work/debootstrap.log"; fail "debootstrap"; }
mount -t proc proc "$target/proc"
mount -t sysfs sys "$target/sys"
mount --bind /dev "$target/dev"
mount --bind /dev/pts "$target/dev/pts"
in_chroot() { chroot "$target" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
                DEBIAN_FRONTEND=noninteractive "$@"; }
in_chroot apt-get update -qq

cp "$deb" "$target/root/"
say "apt install ./$(basename "$deb")"
in_chroot sh -c "cd /root && apt-get install -y -q ./$(basename "$deb")" >"$work/install.log" 2>&1 ||
  { tail -30 "$work/install.log"; fail "apt install"; }
grep -E '^(The following NEW packages|[0-9]+ upgraded)' "$work/install.log" | sed 's/^/  /'
in_chroot dpkg-query -W -f='  installed ${Package} ${Version}\n' marvane

say "marvane-render in a temporary folder, against the build tree's"
flags=(--seed 1 --tile /usr/share/marvane/Tiles/Basic.bmp -o x.png)
in_chroot sh -c "cd \"\$(mktemp -d)\" && marvane-render ${flags[*]} && cp x.png /root/installed.png"
host_dir="$work/host-render"
mkdir -p "$host_dir"
cmp "$target/usr/share/marvane/Tiles/Basic.bmp" "$ROOT/build/share/Tiles/Basic.bmp" ||
  fail "the installed tile differs from the build tree's"
(cd "$host_dir" && QT_QPA_PLATFORM=offscreen "$render" --seed 1 --tile "$ROOT/build/share/Tiles/Basic.bmp" -o x.png)
cmp "$target/root/installed.png" "$host_dir/x.png" || fail "the installed renderer's picture differs"
say "  same bytes: $(stat -c %s "$host_dir/x.png") bytes, sha256 $(sha256sum <"$host_dir/x.png" | cut -c1-16)"

say "tools a person would use: desktop-file-utils, xvfb, x11-utils, man-db, bash-completion"
in_chroot apt-get install -y -qq --no-install-recommends desktop-file-utils xvfb xauth x11-utils \
  man-db bash-completion >/dev/null 2>&1 || fail "installing the tools"

say "desktop-file-validate"
in_chroot desktop-file-validate /usr/share/applications/marvane.desktop || fail "the desktop entry is not valid"
exec_line="$(sed -n 's/^Exec=//p' "$target/usr/share/applications/marvane.desktop")"
say "  Exec=$exec_line, on a virtual display"
# The console is the window the program names itself for; xwininfo lists every window.
in_chroot sh -c "export HOME=/root/person; mkdir -p \$HOME
  xvfb-run -a -s '-screen 0 1280x1024x24' sh -c '
    $exec_line & pid=\$!
    for i in \$(seq 60); do
      xwininfo -root -tree | grep -q \"Control Console\" && break
      sleep 0.5
    done
    xwininfo -root -tree | grep \"Marvane\" > /root/windows.txt || true
    kill \$pid; wait \$pid 2>/dev/null || true'" >"$work/run.log" 2>&1 || true
grep -q 'Control Console' "$target/root/windows.txt" ||
  { cat "$work/run.log"; fail "no console window appeared"; }
sed 's/^ */  window: /' "$target/root/windows.txt"
[[ -f "$target/root/person/Marvane/Tiles/Basic.bmp" ]] || fail "the start folder was not prepared"
say "  start folder prepared: $(cd "$target/root/person/Marvane" && echo *)"

say "man marvane-render"
page="$(in_chroot sh -c 'MANWIDTH=80 man -P cat marvane-render 2>/dev/null')"
grep -q -- '--tile FILE' <<<"$page" || fail "the manual page does not show --tile"
head -n 4 <<<"$page" | sed 's/^/  /'
for p in marvane marvane-start; do
  in_chroot man -w "$p" >/dev/null || fail "no manual page for $p"
done

say "bash completion of marvane-render --t"
offered="$(in_chroot bash -c 'source /usr/share/bash-completion/bash_completion
  _completion_loader marvane-render
  COMP_WORDS=(marvane-render --t); COMP_CWORD=1
  $(complete -p marvane-render | sed -n "s/.*-F \([^ ]*\) .*/\1/p") marvane-render --t marvane-render
  echo "${COMPREPLY[*]}"')"
say "  offered: $offered"
for f in --tile --tile-color --threads; do
  [[ " $offered " == *" $f "* ]] || fail "completion did not offer $f"
done

say "apt remove marvane"
in_chroot dpkg -L marvane | grep '^/usr/' >"$work/owned"
in_chroot apt-get remove -y -qq marvane >/dev/null
# What stays of the package's paths must belong to another package (shared folders).
left=""
while read -r path; do
  [[ -e "$target$path" ]] || continue
  in_chroot dpkg -S "$path" >/dev/null 2>&1 || left+=" $path"
done <"$work/owned"
[[ -z "$left" ]] || fail "left behind:$left"
named="$(in_chroot find /usr -iname '*marvane*')"
[[ -z "$named" ]] || fail "left behind: $named"
say "  nothing of its $(wc -l <"$work/owned") paths left but folders other packages share"
say "all checks passed"
