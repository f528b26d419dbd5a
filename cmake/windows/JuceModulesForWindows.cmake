# JUCE for the Windows cross builds (32- and 64-bit), from the copy of Debian's modules
# that scripts/prepare-windows-build.sh patched for MinGW.
#
# Debian's JUCEConfigVersion.cmake turns every 32-bit target away, and its
# JUCEConfig.cmake adds the modules from /usr/share/juce/modules by a fixed
# path; so this file does what JUCEConfig.cmake does, with JUCE's own CMake
# helpers, the host juceaide and the patched modules.

set (STRATOSET_WINDOWS_DEPS "${PROJECT_SOURCE_DIR}/build/windows-deps"
     CACHE PATH "What scripts/prepare-windows-build.sh prepared: patched JUCE modules, libjpeg and libpng")

if (NOT EXISTS "${STRATOSET_WINDOWS_DEPS}/juce/modules/juce_core/juce_core.h"
    OR NOT EXISTS "${STRATOSET_WINDOWS_DEPS}/${STRATOSET_MINGW_TRIPLE}/.complete")
    message (FATAL_ERROR "${STRATOSET_WINDOWS_DEPS} is not prepared for ${STRATOSET_MINGW_TRIPLE}: run scripts/prepare-windows-build.sh first")
endif()

find_file (STRATOSET_JUCE_CONFIG JUCEConfig.cmake
           PATHS /usr/lib/x86_64-linux-gnu/cmake/JUCE-7.0.5 /usr/lib/cmake/JUCE-7.0.5
           NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)

if (NOT STRATOSET_JUCE_CONFIG)
    message (FATAL_ERROR "Debian's JUCE 7.0.5 CMake files are missing (juce-modules-source)")
endif()

get_filename_component (stratoset_juce_cmake_dir "${STRATOSET_JUCE_CONFIG}" DIRECTORY)

if (NOT TARGET juce::juceaide)
    add_executable (juce::juceaide IMPORTED)
    set_target_properties (juce::juceaide PROPERTIES
        IMPORTED_LOCATION "${stratoset_juce_cmake_dir}/../../juce/juceaide")
endif()

set (JUCE_MODULES_DIR "${STRATOSET_WINDOWS_DEPS}/juce/modules" CACHE INTERNAL "The path to JUCE modules")

include ("${stratoset_juce_cmake_dir}/JUCEModuleSupport.cmake")
include ("${stratoset_juce_cmake_dir}/JUCEUtils.cmake")

foreach (module juce_core juce_events juce_data_structures juce_graphics juce_gui_basics)
    juce_add_module ("${JUCE_MODULES_DIR}/${module}" ALIAS_NAMESPACE juce)
endforeach()

# Debian's JUCE uses the system's zlib, libpng and libjpeg; these are their
# static MinGW builds (zlib from libz-mingw-w64-dev).
add_library (stratoset_windows_image_libraries INTERFACE)
target_include_directories (stratoset_windows_image_libraries SYSTEM INTERFACE
    "${STRATOSET_WINDOWS_DEPS}/${STRATOSET_MINGW_TRIPLE}/include")
target_link_libraries (stratoset_windows_image_libraries INTERFACE
    "${STRATOSET_WINDOWS_DEPS}/${STRATOSET_MINGW_TRIPLE}/lib/libpng16.a"
    "${STRATOSET_WINDOWS_DEPS}/${STRATOSET_MINGW_TRIPLE}/lib/libjpeg.a"
    "${CMAKE_FIND_ROOT_PATH}/lib/libz.a")
