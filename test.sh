#!/usr/bin/env bash
# Sets up what is missing, builds and runs the whole test suite offscreen.
# ./test.sh asan runs it in the sanitizer build instead (see scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh --tests
variant="${1:-}"
case "$variant" in "" | clang | asan) ;; *) echo "Kullanım: ./test.sh [clang|asan]" >&2 && exit 2 ;; esac
scripts/build.sh ${variant:+"$variant"}
cd "build${variant:+-$variant}"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)"
