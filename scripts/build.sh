#!/usr/bin/env bash
# Configures and builds one build folder of the project.
#   scripts/build.sh release   the program as users get it (build/release)
#   scripts/build.sh test      Debug with AddressSanitizer and UBSan (build/test)
#   scripts/build.sh tsan      Debug with ThreadSanitizer, the test runner only (build/tsan)
#   scripts/build.sh windows   the 32-bit Windows program and its Windows test
#                              runner, cross-compiled (build/windows)
#   scripts/build.sh fuzz      the libFuzzer targets of tests/fuzz, with clang,
#                              AddressSanitizer and UBSan (build/fuzz)
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
kind="${1:-release}"
shift || true

targets=()
source_folder="$top"
case "$kind" in
    release) options=(-DCMAKE_BUILD_TYPE=Release -DSTRATOSET_BUILD_TESTS=OFF) ;;
    test)    options=(-DCMAKE_BUILD_TYPE=Debug -DSTRATOSET_SANITIZERS=address,undefined -DSTRATOSET_BUILD_TESTS=ON) ;;
    tsan)    options=(-DCMAKE_BUILD_TYPE=Debug -DSTRATOSET_SANITIZERS=thread -DSTRATOSET_BUILD_TESTS=ON)
             targets=(--target stratoset_tests) ;;
    windows)
        "$top/scripts/prepare-windows-build.sh" "$top/build/windows-deps"
        options=(-DCMAKE_TOOLCHAIN_FILE="$top/cmake/windows/i686-w64-mingw32.cmake"
                 -DSTRATOSET_WINDOWS_DEPS="$top/build/windows-deps"
                 -DCMAKE_BUILD_TYPE=Release -DSTRATOSET_BUILD_TESTS=ON) ;;
    fuzz)    source_folder="$top/tests/fuzz"
             options=(-DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
    *)       echo "usage: $0 release|test|tsan|windows|fuzz [cmake options...]" >&2; exit 2 ;;
esac

mkdir -p "$top/build"
build="$top/build/$kind"
cmake -S "$source_folder" -B "$build" "${options[@]}" "$@" > "$build.configure.log" 2>&1 || { cat "$build.configure.log"; exit 1; }
cmake --build "$build" -j "$(nproc)" "${targets[@]}"
