include (GoogleTest)
find_package (GTest REQUIRED)

# ndir_add_test (name SOURCES ... LIBRARIES ...)
# A GoogleTest executable whose cases are each a CTest test. A JUCE assertion
# or a leak report fails the case even in optimised builds.
function (ndir_add_test name)
    cmake_parse_arguments (arg "" "" "SOURCES;LIBRARIES" ${ARGN})

    add_executable (${name} ${arg_SOURCES})
    target_link_libraries (${name} PRIVATE ${arg_LIBRARIES} GTest::gtest GTest::gmock)
    target_include_directories (${name} PRIVATE "${PROJECT_SOURCE_DIR}/tests")
    ndir_enable_warnings (${name})

    gtest_discover_tests (${name}
        DISCOVERY_TIMEOUT 60
        PROPERTIES
            FAIL_REGULAR_EXPRESSION "JUCE Assertion failure|Leaked objects detected"
            LABELS ${name}
            TIMEOUT 300)
endfunction()
