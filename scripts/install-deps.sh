#!/usr/bin/env bash
# The one list of Debian packages the program, its tests and its benchmarks need.
# Works as root and through sudo; installs only what is missing.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config clang-format clang
  qt6-base-dev qt6-qpa-plugins libgl-dev
  libsqlite3-dev sqlite3 poppler-utils
  fonts-dejavu-core fonts-liberation
  xvfb xauth
  libcurl4-openssl-dev python3-aiosmtpd
  libxlsxwriter-dev libshp-dev libminizip-dev
  python3-openpyxl python3-docx python3-dbfread
  postgresql libpq-dev locales
  libreoffice-calc libreoffice-writer libreoffice-base-drivers
  texlive-latex-recommended texlive-lang-european lmodern
)

if [ "$(id -u)" -eq 0 ]; then SUDO=(); else SUDO=(sudo); fi

# The export tests write numbers under a Turkish desktop's locale, where printf writes commas.
turkish_locale() {
  locale -a 2>/dev/null | grep -qi '^tr_TR\.utf-\?8$' && return 0
  "${SUDO[@]}" sed -i 's/^# *\(tr_TR\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  "${SUDO[@]}" locale-gen >/dev/null
}

missing=()
for package in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
  turkish_locale
  exit 0
fi

echo "Kurulacak paketler: ${missing[*]}"
"${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
turkish_locale
