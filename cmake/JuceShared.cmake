# JUCE 7 from Debian's juce-modules-source, compiled once into juce_shared, the
# static library that the plug-in, the tests, the benchmarks and the tools link.

find_package (JUCE CONFIG REQUIRED)

if (JUCE_VERSION VERSION_LESS 7.0 OR NOT JUCE_VERSION VERSION_LESS 8.0)
    message (FATAL_ERROR "JUCE 7 is required, found ${JUCE_VERSION}")
endif()

find_package (PkgConfig REQUIRED)
pkg_check_modules (FLAC REQUIRED IMPORTED_TARGET flac)

add_library (juce_shared STATIC)

target_link_libraries (juce_shared
    PRIVATE
        juce::juce_audio_utils
        juce::juce_dsp
    PUBLIC
        juce::juce_recommended_config_flags
        juce::juce_recommended_lto_flags)

target_compile_definitions (juce_shared
    PUBLIC
        JUCE_WEB_BROWSER=0
        JUCE_USE_CURL=0
        JUCE_DISPLAY_SPLASH_SCREEN=0
        JUCE_REPORT_APP_USAGE=0
        JUCE_MODAL_LOOPS_PERMITTED=1
        JUCE_STRICT_REFCOUNTEDPOINTER=1
        JUCE_LOG_ASSERTIONS=1
        JUCE_USE_FLAC=1
        JUCE_INCLUDE_FLAC_CODE=0
        JUCE_USE_OGGVORBIS=0
        JUCE_PLUGINHOST_VST3=1
        JUCE_PLUGINHOST_LV2=1
        JUCE_SILENCE_XCODE_15_LINKER_WARNING=1
    INTERFACE
        $<TARGET_PROPERTY:juce_shared,COMPILE_DEFINITIONS>)

# JUCE's headers are included as system headers: their warnings are not ours.
target_include_directories (juce_shared SYSTEM
    INTERFACE
        $<TARGET_PROPERTY:juce_shared,INCLUDE_DIRECTORIES>)

# Linked after JUCE's own objects so that --as-needed keeps them.
target_link_libraries (juce_shared PUBLIC juce::pkgconfig_JUCE_IMG_LINUX_DEPS PkgConfig::FLAC)

set_target_properties (juce_shared PROPERTIES
    POSITION_INDEPENDENT_CODE TRUE
    VISIBILITY_INLINES_HIDDEN TRUE
    C_VISIBILITY_PRESET hidden
    CXX_VISIBILITY_PRESET hidden)
