#!/usr/bin/env bash
# Sets up what is missing, builds and runs the whole test suite offscreen.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
if [ "${CI:-}" = "true" ]; then scripts/build.sh -DKALVISTA_WERROR=ON; else scripts/build.sh; fi
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)"
