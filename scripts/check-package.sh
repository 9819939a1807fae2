#!/usr/bin/env bash
# Builds the Debian package from build/ and checks it as a school's computer would meet it:
#   lintian (no error, no warning that the package does not override with its reason),
#   desktop-file-validate and appstreamcli on the installed files, then a clean Debian 12 root made
#   by mmdebstrap (minbase) from this machine's Debian mirror, where the package is installed with
#   apt and run: --version, --denetle on a sound and on a damaged database, a first start of the
#   window offscreen in a new user's home, and a purge that leaves the user's data in place.
# Run as root (mmdebstrap's root mode). Everything it writes, the downloaded packages kept for the
# next run included, stays in build/paket-denetimi/.
#   scripts/check-package.sh
set -euo pipefail
cd "$(dirname "$0")/.."

build=build
work="$PWD/$build/paket-denetimi"
[ -f "$build/build.ninja" ] || scripts/build.sh

# Seconds since the check began, the hook's part included, to keep the stage inside its 5 minutes.
export KALVISTA_CHECK_START=${KALVISTA_CHECK_START:-$(date +%s)}
say() { echo "--- [$(($(date +%s) - KALVISTA_CHECK_START)) s] $*"; }
fail() { echo "paket denetimi: $*" >&2; exit 1; }

# The customize hook of mmdebstrap calls this script again with the root to check in.
if [ "${1:-}" = "--kok" ]; then
  root=$2
  inside=/tmp/kalvista-denetim
  in_root() { chroot "$root" "$@"; }
  mkdir -p "$root$inside"
  cp "$KALVISTA_DEB" "$work/saglam.db" "$work/bozuk.db" "$root$inside/"
  say "apt-get install ./$(basename "$KALVISTA_DEB")"
  # Only what the package depends on: a system without recommended packages runs it too.
  in_root sh -c "cd $inside && DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    ./$(basename "$KALVISTA_DEB")" > "$work/apt-kurulum.log" 2>&1 || { tail -30 "$work/apt-kurulum.log"; fail "kurulamadı"; }
  # Kept for the next run, in the build folder only.
  cp -u "$root"/var/cache/apt/archives/*.deb "$work/apt-arsivi/"
  version=$(in_root kalvista --version)
  [ "$version" = "Kalvista $KALVISTA_VERSION" ] || fail "kalvista --version: '$version'"
  say "$version"
  in_root kalvista --denetle "$inside/saglam.db" || fail "sağlam veritabanı sorunlu sayıldı"
  if in_root kalvista --denetle "$inside/bozuk.db"; then fail "bozuk veritabanı sağlam sayıldı"; fi

  say "pencere, yeni bir kullanıcının boş HOME'unda, ekransız"
  in_root useradd --create-home --shell /bin/sh deneme
  data=/home/deneme/.local/share/Kalvista
  chroot --userspec="$(in_root id -u deneme):$(in_root id -g deneme)" "$root" env -i HOME=/home/deneme PATH=/usr/bin:/bin LANG=C.UTF-8 \
    QT_QPA_PLATFORM=offscreen KALVISTA_TEST_YENI_VERITABANI=evet kalvista > "$work/pencere.log" 2>&1 &
  window=$!
  # Started once the session's lock file is there: the database was made and opened, the list read.
  for _ in $(seq 1 120); do
    [ -n "$(ls -A "$root$data/oturumlar" 2>/dev/null)" ] && break
    kill -0 "$window" 2>/dev/null || break
    sleep 0.5
  done
  if ! kill -0 "$window" 2>/dev/null || [ -z "$(ls -A "$root$data/oturumlar" 2>/dev/null)" ]; then
    cat "$work/pencere.log"
    fail "pencere açılamadı"
  fi
  kill "$window"
  wait "$window" || true
  [ -f "$root$data/veriler.db" ] || { cat "$work/pencere.log"; fail "$data/veriler.db yok"; }
  in_root ls -l "$data"
  in_root kalvista --denetle "$data/veriler.db" > /dev/null || fail "ilk başlatmanın veritabanı sorunlu"

  say "apt-get purge kalvista"
  in_root env DEBIAN_FRONTEND=noninteractive apt-get purge -y -q kalvista > "$work/apt-kaldirma.log" 2>&1 ||
    { cat "$work/apt-kaldirma.log"; fail "kaldırılamadı"; }
  [ ! -e "$root/usr/bin/kalvista" ] || fail "/usr/bin/kalvista kaldırılmadı"
  [ -f "$root$data/veriler.db" ] || fail "kaldırma kullanıcının verilerini sildi"
  say "kullanıcının verileri yerinde: $data/veriler.db"
  exit 0
fi

[ "$(id -u)" -eq 0 ] || fail "mmdebstrap kökü için root olarak çalıştırın"
rm -rf "$work/kok" "$work/tmp" "$work/icerik"
mkdir -p "$work/tmp" "$work/apt-arsivi"

say "paket"
cmake --build "$build" --target package > "$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "paket yapılamadı"; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb=$(ls "$PWD/$build"/kalvista_"$version"-*_amd64.deb)
dpkg-deb --field "$deb" Package Version Depends Recommends Installed-Size

say "lintian"
# Errors and warnings fail; what remains is overridden in the package, each with its reason.
lintian --fail-on error,warning --display-info "$deb"
dpkg-deb --extract "$deb" "$work/icerik"
echo "lintian'ın paketteki istisnaları:"
grep -v '^#' "$work/icerik/usr/share/lintian/overrides/kalvista"

say "desktop-file-validate, appstreamcli"
desktop-file-validate "$work/icerik/usr/share/applications/tr.com.kalvista.Kalvista.desktop"
appstreamcli validate --no-net "$work/icerik/usr/share/metainfo/tr.com.kalvista.Kalvista.metainfo.xml"

# A database the build makes (the benchmark's generator), and a copy cut in half.
rm -f "$work/saglam.db" "$work/bozuk.db"
"$build/bench/kalvista_generate" "$work/saglam.db" 200 > /dev/null
head -c "$(($(stat -c %s "$work/saglam.db") / 2))" "$work/saglam.db" > "$work/bozuk.db"

# The Debian 12 entries of this machine's package sources, whatever mirror they name.
sources="$work/kaynaklar.sources"
: > "$sources"
for file in /etc/apt/sources.list.d/*.sources; do
  [ -f "$file" ] || continue
  awk -v RS= -v ORS='\n\n' '/(^|\n)Suites:([^\n]* )?bookworm(-[a-z]+)?( |\n|$)/' "$file" >> "$sources"
done
for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
  [ -f "$file" ] || continue
  sed 's/\[[^]]*\]//' "$file" | awk '$1 == "deb" && $3 ~ /^bookworm(-[a-z]+)?$/ {
    print "Types: deb\nURIs: " $2 "\nSuites: " $3 "\nComponents: main\n" }' >> "$sources"
done
[ -s "$sources" ] || fail "makinenin paket kaynaklarında Debian 12 (bookworm) yok"

say "mmdebstrap bookworm (minbase) ve içinde kurulum"
export KALVISTA_DEB="$deb" KALVISTA_VERSION="$version"
TMPDIR="$work/tmp" mmdebstrap --mode=root --variant=minbase --quiet --skip=essential/unlink \
  --setup-hook='mkdir -p "$1"/var/cache/apt/archives' \
  --setup-hook="sync-in '$work/apt-arsivi' /var/cache/apt/archives/" \
  --customize-hook="'$PWD/scripts/check-package.sh' --kok \"\$1\"" \
  bookworm /dev/null "$sources"
rm -rf "$work/tmp" "$work/icerik"
say "paket denetimi geçti: $(basename "$deb")"
