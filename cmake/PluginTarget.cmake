# The plug-in in every format we build. Its codes and LV2 URI identify it in
# saved host projects: they must never change once released.

set (formats VST3 LV2 Standalone)

if (APPLE)
    list (APPEND formats AU)
endif()

juce_add_plugin (NDIReceiver
    PRODUCT_NAME                "NDIReceiver"
    PLUGIN_NAME                 "NDIReceiver"
    VERSION                     "${PROJECT_VERSION}"
    COMPANY_NAME                "NDIReceiver Project"
    COMPANY_WEBSITE             "https://ndireceiver.example"
    COMPANY_EMAIL               "support@ndireceiver.example"
    PLUGIN_MANUFACTURER_CODE    Ndrp
    PLUGIN_CODE                 Ndrx
    FORMATS                     ${formats}
    AU_EXPORT_PREFIX            NDIReceiverAU
    AU_MAIN_TYPE                kAudioUnitType_Effect
    VST3_CATEGORIES             Fx Network
    LV2URI                      "https://ndireceiver.example/plugins/NDIReceiver"
    IS_SYNTH                    FALSE
    NEEDS_MIDI_INPUT            FALSE
    NEEDS_MIDI_OUTPUT           FALSE
    IS_MIDI_EFFECT              FALSE
    EDITOR_WANTS_KEYBOARD_FOCUS FALSE
    COPY_PLUGIN_AFTER_BUILD     FALSE)

# Debian's LV2 wrapper ignores the LV2URI argument above. There never was a
# VST2 version to replace (and Debian ships no VST2 headers).
target_compile_definitions (NDIReceiver PUBLIC
    JucePlugin_LV2URI="https://ndireceiver.example/plugins/NDIReceiver"
    JUCE_VST3_CAN_REPLACE_VST2=0)

target_link_libraries (NDIReceiver PRIVATE NDIReceiverCore)

# A plug-in module exports only its entry points. Everything linked in
# statically (JUCE, our code, the NDI runtime) stays inside, so that two of
# our modules in one host, a VST3 and an LV2 say, never bind to each other's
# runtime.
foreach (format VST3 LV2)
    target_link_options (NDIReceiver_${format} PRIVATE -Wl,--exclude-libs,ALL)
endforeach()
