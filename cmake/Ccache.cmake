# Use ccache when present. Hashing is independent of the build folder, so the
# normal, sanitizer and fuzzing builds of a checkout share one cache.
find_program (NDIR_CCACHE ccache)

if (NDIR_CCACHE)
    set (launcher ${CMAKE_COMMAND} -E env CCACHE_NOHASHDIR=1 "CCACHE_BASEDIR=${CMAKE_SOURCE_DIR}" ${NDIR_CCACHE})
    set (CMAKE_C_COMPILER_LAUNCHER ${launcher})
    set (CMAKE_CXX_COMPILER_LAUNCHER ${launcher})
endif()
