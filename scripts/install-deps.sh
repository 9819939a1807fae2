#!/usr/bin/env bash
# The Debian packages Kalvista needs, in two lists:
#   scripts/install-deps.sh          what builds and runs the program (./run.sh) and builds its
#                                    package (`file` is CPack's, to find the libraries' packages)
#   scripts/install-deps.sh --tests  that, and what only the tests, CI and the package check need
#                                    (./test.sh, .ci/run): the readers of our exports, a database
#                                    server, a mail server, the second compiler, the packaging checkers
# Works as root and through sudo; installs only what is missing.
set -euo pipefail

BUILD_AND_RUN=(
  build-essential cmake ninja-build pkg-config file
  qt6-base-dev qt6-qpa-plugins libgl-dev qt6-translations-l10n
  libsqlite3-dev libcurl4-openssl-dev libxlsxwriter-dev libshp-dev libminizip-dev libpq-dev
  fonts-dejavu-core fonts-liberation
  xvfb xauth
)
TESTS_ONLY=(
  clang-format clang
  sqlite3 poppler-utils
  python3-aiosmtpd python3-openpyxl python3-docx python3-dbfread
  postgresql locales
  libreoffice-calc libreoffice-writer libreoffice-base-drivers
  texlive-latex-recommended texlive-lang-european lmodern
  lintian desktop-file-utils appstream mmdebstrap
)

packages=("${BUILD_AND_RUN[@]}")
tests=false
case "${1:-}" in
  "") ;;
  --tests) packages+=("${TESTS_ONLY[@]}") && tests=true ;;
  *) echo "Kullanım: scripts/install-deps.sh [--tests]" >&2 && exit 2 ;;
esac

if [ "$(id -u)" -eq 0 ]; then SUDO=(); else SUDO=(sudo); fi

# The export tests write numbers under a Turkish desktop's locale, where printf writes commas.
turkish_locale() {
  [ "$tests" = true ] || return 0
  locale -a 2>/dev/null | grep -qi '^tr_TR\.utf-\?8$' && return 0
  "${SUDO[@]}" sed -i 's/^# *\(tr_TR\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  "${SUDO[@]}" locale-gen >/dev/null
}

missing=()
for package in "${packages[@]}"; do
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
