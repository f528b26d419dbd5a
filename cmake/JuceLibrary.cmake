# JUCE from Debian's juce-modules-source, compiled once into one static library
# that the program's libraries, the program and the test runner all link.

if (WIN32)
    include (cmake/windows/JuceModulesForWindows.cmake)
else()
    find_package (JUCE 7.0.5 CONFIG REQUIRED)

    # juce_gui_basics from a copy with cmake/linux/juce-gui-basics-idle.patch
    # applied (the patch says why), made at configure time and made afresh
    # when the patch or Debian's module changes.
    get_target_property (stratoset_gui_basics_unit juce_gui_basics INTERFACE_SOURCES)
    get_filename_component (stratoset_gui_basics_dir "${stratoset_gui_basics_unit}" DIRECTORY)
    set (stratoset_juce_patch "${PROJECT_SOURCE_DIR}/cmake/linux/juce-gui-basics-idle.patch")
    file (SHA256 "${stratoset_juce_patch}" stratoset_patch_hash)
    file (SHA256 "${stratoset_gui_basics_dir}/native/juce_linux_Windowing.cpp" stratoset_module_hash)
    string (SUBSTRING "${stratoset_patch_hash}${stratoset_module_hash}" 0 80 stratoset_stamp)
    set (stratoset_patched_modules "${CMAKE_BINARY_DIR}/juce-patched")

    if (NOT EXISTS "${stratoset_patched_modules}/.patched-${stratoset_stamp}")
        find_program (STRATOSET_PATCH patch REQUIRED)
        file (REMOVE_RECURSE "${stratoset_patched_modules}")
        file (COPY "${stratoset_gui_basics_dir}" DESTINATION "${stratoset_patched_modules}")
        execute_process (COMMAND "${STRATOSET_PATCH}" --quiet -p1 -d "${stratoset_patched_modules}" -i "${stratoset_juce_patch}"
                         RESULT_VARIABLE stratoset_patch_result)
        if (NOT stratoset_patch_result EQUAL 0)
            message (FATAL_ERROR "${stratoset_juce_patch} does not apply to ${stratoset_gui_basics_dir}")
        endif()
        file (TOUCH "${stratoset_patched_modules}/.patched-${stratoset_stamp}")
    endif()

    set_property (TARGET juce_gui_basics PROPERTY INTERFACE_SOURCES
                  "${stratoset_patched_modules}/juce_gui_basics/juce_gui_basics.cpp")
    set_property (DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${stratoset_juce_patch}")
endif()

add_library (stratoset_juce STATIC)

target_link_libraries (stratoset_juce
    PRIVATE
        juce::juce_core
        juce::juce_events
        juce::juce_data_structures
        juce::juce_graphics
        juce::juce_gui_basics)

# juce::SHA256 (the packages' and the simulated host's hashes): the one unit
# of juce_cryptography, compiled here without linking the module, whose
# availability definition would reach, and so recompile, every other unit.
target_sources (stratoset_juce PRIVATE "${JUCE_MODULES_DIR}/juce_cryptography/juce_cryptography.cpp")

target_compile_definitions (stratoset_juce
    PUBLIC
        JUCE_WEB_BROWSER=0
        JUCE_USE_CURL=1
        JUCE_DISPLAY_SPLASH_SCREEN=0
        JUCE_REPORT_APP_USAGE=0
        JUCE_STANDALONE_APPLICATION=1
        JUCE_STRICT_REFCOUNTEDPOINTER=1
        JUCE_MODAL_LOOPS_PERMITTED=1)

# The modules are interface libraries; hand their include folders and
# definitions on to everything that links this library, without their sources.
target_include_directories (stratoset_juce SYSTEM INTERFACE
    $<TARGET_PROPERTY:stratoset_juce,INCLUDE_DIRECTORIES>)
target_compile_definitions (stratoset_juce INTERFACE
    $<TARGET_PROPERTY:stratoset_juce,COMPILE_DEFINITIONS>)

set_target_properties (stratoset_juce PROPERTIES POSITION_INDEPENDENT_CODE ON)

# JUCE's own sources use a few library calls that are deprecated by now.
target_compile_options (stratoset_juce PRIVATE -Wno-deprecated-declarations)

if (CMAKE_SYSTEM_NAME STREQUAL "Linux")
    # Debian builds JUCE without its bundled zlib, libpng and libjpeg.
    find_package (ZLIB REQUIRED)
    target_link_libraries (stratoset_juce
        PUBLIC
            juce::pkgconfig_JUCE_CURL_LINUX_DEPS
            juce::pkgconfig_JUCE_IMG_LINUX_DEPS
            ZLIB::ZLIB)
endif()

if (WIN32)
    target_link_libraries (stratoset_juce PUBLIC stratoset_windows_image_libraries)
endif()
