#!/usr/bin/env bash
# Prepares, from Debian alone, what a Windows cross build needs beyond the
# MinGW compilers (scripts/setup.sh windows installs those):
#   - a copy of Debian's JUCE modules with the MinGW changes of
#     cmake/windows/juce-modules-mingw32.patch applied,
#   - libjpeg-turbo and libpng, cross-built as static libraries from Debian's
#     own source packages (Debian ships no MinGW builds of them), for the
#     32-bit (i686) or the 64-bit (x86_64) build.
#   scripts/prepare-windows-build.sh [folder] [i686|x86_64]
#       (default build/windows-deps, i686)
# The folder then holds juce/modules and <triple>/{include,lib} (the triple
# being i686-w64-mingw32 or x86_64-w64-mingw32); both builds share the JUCE
# copy and the sources. The cross build is pointed at it with
# -DSTRATOSET_WINDOWS_DEPS=<folder>. A step that has finished is not repeated
# when the script runs again.
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
deps="${1:-$top/build/windows-deps}"
processor="${2:-i686}"
case "$processor" in
    i686 | x86_64) ;;
    *) echo "usage: $0 [folder] [i686|x86_64]" >&2; exit 2 ;;
esac
triple="$processor-w64-mingw32"
toolchain="$top/cmake/windows/$triple.cmake"
patch_file="$top/cmake/windows/juce-modules-mingw32.patch"
jobs="$(nproc)"

mkdir -p "$deps"
deps="$(cd "$deps" && pwd)"
prefix="$deps/$triple"

step()
{
    echo "== $*"
}

#-------------------------------------------------------------------------------
# JUCE modules, patched. The stamp names the Debian package version and the
# patch's checksum, so an upgraded JUCE or a changed patch is copied and
# patched afresh.

juce_version="$(dpkg-query -W -f='${Version}' juce-modules-source)"
patch_sum="$(sha256sum "$patch_file" | cut -c 1-16)"
juce_stamp="$deps/juce/.patched-$juce_version-$patch_sum"

if [ ! -f "$juce_stamp" ]; then
    step "JUCE modules $juce_version, patched for MinGW"
    rm -rf "$deps/juce"
    mkdir -p "$deps/juce"
    cp -a /usr/share/juce/modules "$deps/juce/modules.tmp"
    patch --quiet -p1 -d "$deps/juce/modules.tmp" < "$patch_file"
    mv "$deps/juce/modules.tmp" "$deps/juce/modules"
    touch "$juce_stamp"
fi

#-------------------------------------------------------------------------------
# Debian's source packages, fetched with a private apt state: the deb-src
# entries are made from the machine's own deb entries, so the sources come
# from the same archive as the installed packages and the machine's apt
# set-up stays untouched.

apt_dir="$deps/apt"
sources_dir="$deps/sources"

apt_options=(
    -o "Dir::Etc::SourceList=$apt_dir/empty.list"
    -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
    -o "Dir::State::Lists=$apt_dir/lists"
    -o "Dir::Cache=$apt_dir/cache"
    -o "APT::Sandbox::User=$(id -un)"
    -o "Debug::NoLocking=1"
)

# Writes deb-src counterparts of every enabled deb entry: one-line entries of
# sources.list files, and deb822 stanzas of .sources files.
write_source_entries()
{
    local list_files=() stanza_files=() file
    [ -f /etc/apt/sources.list ] && list_files+=(/etc/apt/sources.list)
    for file in /etc/apt/sources.list.d/*.list; do
        [ -f "$file" ] && list_files+=("$file")
    done
    for file in /etc/apt/sources.list.d/*.sources; do
        [ -f "$file" ] && stanza_files+=("$file")
    done

    if [ ${#list_files[@]} -gt 0 ]; then
        sed -n -E 's/^[[:space:]]*deb([[:space:]]+)/deb-src\1/p' "${list_files[@]}" \
            > "$apt_dir/sources.list.d/machine-src.list"
    fi

    if [ ${#stanza_files[@]} -gt 0 ]; then
        awk '
            function flush()
            {
                if (text != "" && hasDeb && ! disabled)
                    printf "%sTypes: deb-src\n\n", text
                text = ""; hasDeb = 0; disabled = 0
            }
            /^[[:space:]]*$/ { flush(); next }
            /^#/ { next }
            tolower ($1) == "types:" { for (i = 2; i <= NF; ++i) if ($i == "deb") hasDeb = 1; next }
            tolower ($1) == "enabled:" { if (tolower ($2) == "no") disabled = 1 }
            { text = text $0 "\n" }
            END { flush() }
        ' "${stanza_files[@]}" > "$apt_dir/sources.list.d/machine-src.sources"
    fi
}

# Fetches and unpacks the newest version of a source package that the
# archive can deliver: an index may name a version whose files a mirror does
# not (or not yet) hold, and then the next older one is taken.
fetch_source()
{
    local package="$1" version log
    if [ -n "$(find "$sources_dir" -maxdepth 1 -name "${package}_*.dsc" -print -quit)" ]; then
        return
    fi
    log="$apt_dir/source-$package.log"
    : > "$log"
    for version in $(apt-cache "${apt_options[@]}" showsrc "$package" | sed -n 's/^Version: //p' | sort -u -r -V); do
        step "Debian source package $package $version"
        if (cd "$sources_dir" && apt-get "${apt_options[@]}" source --quiet "$package=$version" >> "$log" 2>&1); then
            return
        fi
        rm -rf "$sources_dir/${package}_$version"* "$sources_dir/$package-"*
    done
    cat "$log"
    echo "No version of the source package $package could be fetched." >&2
    exit 1
}

if [ ! -f "$prefix/.complete" ]; then
    mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$sources_dir"
    : > "$apt_dir/empty.list"

    if [ ! -f "$apt_dir/.updated" ]; then
        step "Source package lists (deb-src made from the machine's apt sources)"
        rm -f "$apt_dir/sources.list.d/"*
        write_source_entries
        apt-get "${apt_options[@]}" update --quiet > "$apt_dir/update.log" 2>&1 \
            || { cat "$apt_dir/update.log"; exit 1; }
        touch "$apt_dir/.updated"
    fi

    fetch_source libjpeg-turbo
    fetch_source libpng1.6
fi

#-------------------------------------------------------------------------------
# The two libraries, static, for the triple asked for.

source_folder()
{
    find "$sources_dir" -mindepth 1 -maxdepth 1 -type d -name "$1-*" -print -quit
}

cross_cmake()
{
    local name="$1" source="$2"
    shift 2
    local build="$deps/build/$triple/$name"
    step "Cross-building $name ($(basename "$source"))"
    rm -rf "$build"
    mkdir -p "$deps/build/$triple"
    cmake -S "$source" -B "$build" \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DCMAKE_C_COMPILER_LAUNCHER="$(command -v ccache || true)" \
        "$@" > "$build.log" 2>&1 || { cat "$build.log"; exit 1; }
    cmake --build "$build" -j "$jobs" >> "$build.log" 2>&1 || { tail -n 50 "$build.log"; exit 1; }
    cmake --install "$build" >> "$build.log" 2>&1 || { tail -n 50 "$build.log"; exit 1; }
}

if [ ! -f "$prefix/.complete" ]; then
    rm -rf "$prefix"

    jpeg_source="$(source_folder libjpeg-turbo)"
    [ -n "$jpeg_source" ] || { echo "libjpeg-turbo sources are missing in $sources_dir" >&2; exit 1; }
    # No SIMD: it needs nasm, and JUCE decodes only a few small pictures.
    cross_cmake libjpeg-turbo "$jpeg_source" \
        -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF
    # JUCE includes jpeglib.h with JPEG_INTERNALS, which pulls in jpegint.h.
    install -m 644 "$jpeg_source/jpegint.h" "$prefix/include/"

    png_source="$(source_folder libpng1.6)"
    [ -n "$png_source" ] || { echo "libpng1.6 sources are missing in $sources_dir" >&2; exit 1; }
    cross_cmake libpng "$png_source" \
        -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
        -DZLIB_LIBRARY="/usr/$triple/lib/libz.a" \
        -DZLIB_INCLUDE_DIR="/usr/$triple/include"

    touch "$prefix/.complete"
fi

echo "Windows build dependencies ($triple) are ready in $deps"
