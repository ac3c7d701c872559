# ndir_add_fuzzer (name SOURCES ... LIBRARIES ... CORPUS dir SECONDS n)
# A libFuzzer target, with AddressSanitizer and UBSan, and a CTest entry
# (label "fuzz") that runs it for a bounded time, starting from the seed corpus
# kept in the repo. New inputs it finds go to the build folder, not the repo.
function (ndir_add_fuzzer name)
    cmake_parse_arguments (arg "" "CORPUS;SECONDS" "SOURCES;LIBRARIES" ${ARGN})

    if (NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message (FATAL_ERROR "Fuzz targets need clang (configure with CXX=clang++)")
    endif()

    add_executable (${name} ${arg_SOURCES})
    target_link_libraries (${name} PRIVATE ${arg_LIBRARIES})
    target_compile_options (${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options (${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    ndir_enable_warnings (${name})

    set (workCorpus "${CMAKE_CURRENT_BINARY_DIR}/${name}-corpus")

    add_test (NAME ${name}
              COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1
                      $<TARGET_FILE:${name}> -max_total_time=${arg_SECONDS} -rss_limit_mb=2048
                      -timeout=10 "${workCorpus}" "${arg_CORPUS}")
    set_tests_properties (${name} PROPERTIES LABELS fuzz TIMEOUT 600)

    file (MAKE_DIRECTORY "${workCorpus}")
endfunction()
