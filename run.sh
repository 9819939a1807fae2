#!/usr/bin/env bash
# Sets up what is missing, builds and starts Kalvista.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/build.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Ekran bulunamadı (DISPLAY boş): programı sanal ekranda başlatmak için: xvfb-run -a ./run.sh" >&2
  exit 1
fi
exec build/kalvista "$@"
