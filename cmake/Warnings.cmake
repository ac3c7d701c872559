# Warnings are errors in our own code. JUCE's module files are compiled without
# them: they warn under current compilers and are not ours to change.
function (ndir_enable_warnings target)
    target_compile_options (${target} PRIVATE
        -Wall -Wextra -Wpedantic -Werror
        -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual -Wcast-align
        -Wunused -Wsign-compare -Wzero-as-null-pointer-constant -Wreorder
        -Wno-missing-field-initializers
        # GCC 12 reports JUCE's ListenerList iterator, inlined into our code,
        # as a dangling pointer; it is a known false positive of its analysis.
        $<$<CXX_COMPILER_ID:GNU>:-Wno-dangling-pointer>)
endfunction()
