#!/usr/bin/env bash
# Configures and builds one build folder of the project.
#   scripts/build.sh release   the program as users get it (build/release)
#   scripts/build.sh test      Debug with AddressSanitizer and UBSan (build/test)
#   scripts/build.sh tsan      Debug with ThreadSanitizer, the test runner only (build/tsan)
#   scripts/build.sh windows   the 32-bit Windows program and its Windows test
#                              runner, cross-compiled (build/windows)
#   scripts/build.sh windows-product
#                              the 32-bit Windows program alone (build/windows)
#   scripts/build.sh windows64 the same sources for 64-bit Windows, with the
#                              Windows test runner (build/windows64), for a
#                              machine that runs no 32-bit programs; its tests
#                              check the 32-bit program of build/windows, which
#                              it builds first
#   scripts/build.sh fuzz      the libFuzzer targets of tests/fuzz, with clang,
#                              AddressSanitizer and UBSan (build/fuzz)
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
kind="${1:-release}"
shift || true

targets=()
source_folder="$top"
folder="$kind"
case "$kind" in
    release) options=(-DCMAKE_BUILD_TYPE=Release -DSTRATOSET_BUILD_TESTS=OFF) ;;
    test)    options=(-DCMAKE_BUILD_TYPE=Debug -DSTRATOSET_SANITIZERS=address,undefined -DSTRATOSET_BUILD_TESTS=ON) ;;
    tsan)    options=(-DCMAKE_BUILD_TYPE=Debug -DSTRATOSET_SANITIZERS=thread -DSTRATOSET_BUILD_TESTS=ON)
             targets=(--target stratoset_tests) ;;
    windows | windows-product)
        "$top/scripts/prepare-windows-build.sh" "$top/build/windows-deps" i686
        folder=windows
        [ "$kind" = windows ] || targets=(--target Stratoset)
        options=(-DCMAKE_TOOLCHAIN_FILE="$top/cmake/windows/i686-w64-mingw32.cmake"
                 -DSTRATOSET_WINDOWS_DEPS="$top/build/windows-deps"
                 -DCMAKE_BUILD_TYPE=Release -DSTRATOSET_BUILD_TESTS=ON) ;;
    windows64)
        "$top/scripts/build.sh" windows-product
        "$top/scripts/prepare-windows-build.sh" "$top/build/windows-deps" x86_64
        options=(-DCMAKE_TOOLCHAIN_FILE="$top/cmake/windows/x86_64-w64-mingw32.cmake"
                 -DSTRATOSET_WINDOWS_DEPS="$top/build/windows-deps"
                 -DSTRATOSET_WINDOWS_PRODUCT="$top/build/windows/Stratoset.exe"
                 -DCMAKE_BUILD_TYPE=Release -DSTRATOSET_BUILD_TESTS=ON
                 # A test build: optimised lightly, which compiles JUCE in
                 # about 60 % of the time -O3 takes (the product is -O3).
                 -DCMAKE_C_FLAGS_RELEASE="-O1 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELEASE="-O1 -DNDEBUG") ;;
    fuzz)    source_folder="$top/tests/fuzz"
             options=(-DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
    *)       echo "usage: $0 release|test|tsan|windows|windows-product|windows64|fuzz [cmake options...]" >&2; exit 2 ;;
esac

mkdir -p "$top/build"
build="$top/build/$folder"
cmake -S "$source_folder" -B "$build" "${options[@]}" "$@" > "$build.configure.log" 2>&1 || { cat "$build.configure.log"; exit 1; }
cmake --build "$build" -j "$(nproc)" "${targets[@]}"
