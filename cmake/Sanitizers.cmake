# NDIR_SANITIZE selects the sanitizers of a build folder: "address;undefined",
# "thread", or empty. They apply to everything the build compiles, JUCE included.
set (NDIR_SANITIZE "" CACHE STRING "Sanitizers for this build: address;undefined, thread, or empty")

if (NDIR_SANITIZE)
    list (JOIN NDIR_SANITIZE "," sanitizers)
    add_compile_options (-fsanitize=${sanitizers} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options (-fsanitize=${sanitizers})
endif()
