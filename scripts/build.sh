#!/usr/bin/env bash
# Configures and builds one variant of the program, its tests and benchmarks:
#   scripts/build.sh [clang|asan] [cmake options...]
# Without a variant: the system compiler (GCC) into build/, the folder the program runs from.
# clang: Clang with its extra warnings into build-clang/. asan: GCC with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-asan/. Under CI (CI=true) warnings are errors.
set -euo pipefail
cd "$(dirname "$0")/.."
variant=""
case "${1:-}" in clang | asan) variant=$1; shift ;; esac
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
case "$variant" in
  clang) options+=(-DCMAKE_CXX_COMPILER=clang++) ;;
  asan) options+=(-DCMAKE_CXX_COMPILER=g++ -DKALVISTA_SANITIZE=ON) ;;
esac
if [ "${CI:-}" = "true" ]; then options+=(-DKALVISTA_WERROR=ON); fi
dir="build${variant:+-$variant}"
cmake -S . -B "$dir" -G Ninja "${options[@]}" "$@" >/dev/null
cmake --build "$dir" --parallel "$(nproc)"
