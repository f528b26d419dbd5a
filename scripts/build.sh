#!/usr/bin/env bash
# Configures and builds one build folder of the project.
#   scripts/build.sh release   the program as users get it (build/release)
#   scripts/build.sh test      Debug with AddressSanitizer and UBSan (build/test)
#   scripts/build.sh tsan      Debug with ThreadSanitizer, the test runner only (build/tsan)
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
kind="${1:-release}"
shift || true

targets=()
case "$kind" in
    release) options=(-DCMAKE_BUILD_TYPE=Release -DSTRATOSET_BUILD_TESTS=OFF) ;;
    test)    options=(-DCMAKE_BUILD_TYPE=Debug -DSTRATOSET_SANITIZERS=address,undefined -DSTRATOSET_BUILD_TESTS=ON) ;;
    tsan)    options=(-DCMAKE_BUILD_TYPE=Debug -DSTRATOSET_SANITIZERS=thread -DSTRATOSET_BUILD_TESTS=ON)
             targets=(--target stratoset_tests) ;;
    *)       echo "usage: $0 release|test|tsan [cmake options...]" >&2; exit 2 ;;
esac

mkdir -p "$top/build"
build="$top/build/$kind"
cmake -S "$top" -B "$build" "${options[@]}" "$@" > "$build.configure.log" 2>&1 || { cat "$build.configure.log"; exit 1; }
cmake --build "$build" -j "$(nproc)" "${targets[@]}"
