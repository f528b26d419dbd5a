# JUCE from Debian's juce-modules-source, compiled once into one static library
# that the program's libraries, the program and the test runner all link.

if (WIN32)
    include (cmake/windows/JuceModulesForWindows.cmake)
else()
    find_package (JUCE 7.0.5 CONFIG REQUIRED)
endif()

add_library (stratoset_juce STATIC)

target_link_libraries (stratoset_juce
    PRIVATE
        juce::juce_core
        juce::juce_events
        juce::juce_data_structures
        juce::juce_graphics
        juce::juce_gui_basics)

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
