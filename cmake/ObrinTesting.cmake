# One helper per kind of test, so every test executable is registered with
# CTest the same way and runs from the shared output folder.
find_package(GTest QUIET)

# A skipped test ran nothing, so where the result has to be trusted (./test.sh
# and CI switch this on) a skip fails the test; ctest --output-on-failure
# then shows the skip's reason. By hand a test may still skip, for instance
# without a sound server.
if(DEFINED ENV{CI} AND NOT "$ENV{CI}" STREQUAL "")
    set(obrin_ci_default "$ENV{CI}")
else()
    set(obrin_ci_default OFF)
endif()
option(OBRIN_FAIL_ON_SKIP "A test that skips fails (./test.sh and CI)" ${obrin_ci_default})

# The longest a test may run by default; ThreadSanitizer's builds run slower.
set(OBRIN_TEST_TIMEOUT 300 CACHE STRING "Seconds a test may run unless it says otherwise")

# obrin_test_properties(NAME [LABELS l] [TIMEOUT s] [ENVIRONMENT v...]): the
# properties every test gets, for tests registered with add_test directly.
function(obrin_test_properties name)
    cmake_parse_arguments(ARG "" "TIMEOUT" "LABELS;ENVIRONMENT" ${ARGN})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT ${OBRIN_TEST_TIMEOUT})
    endif()
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}" TIMEOUT ${ARG_TIMEOUT})
    # A program a test starts keeps its settings, decoded song and recovery
    # file in the user's folders: these stand in for them, so no test reads
    # or writes the real user's.
    set(home ${CMAKE_BINARY_DIR}/test-home)
    list(APPEND ARG_ENVIRONMENT XDG_CONFIG_HOME=${home}/config XDG_CACHE_HOME=${home}/cache
         XDG_STATE_HOME=${home}/state)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${ARG_ENVIRONMENT}")
    if(OBRIN_FAIL_ON_SKIP)
        # GoogleTest's and Qt Test's lines for a skipped case.
        set_tests_properties(${name} PROPERTIES
            FAIL_REGULAR_EXPRESSION "\\[  SKIPPED \\];SKIP   : ")
    endif()
endfunction()

# obrin_add_gtest(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2 [LABELS l] [ARGS a...])
# ARGS go to the test's command line, for instance a --gtest_filter.
function(obrin_add_gtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS;ARGS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
    add_test(NAME ${name} COMMAND ${name} ${ARG_ARGS} WORKING_DIRECTORY ${OBRIN_OUTPUT_DIR})
    obrin_test_properties(${name} LABELS ${ARG_LABELS})
endfunction()

# obrin_add_qttest(NAME SOURCES a.cpp LIBS lib1 [LABELS l])
# Widget tests run on the offscreen platform unless the caller chose another.
function(obrin_add_qttest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test Qt6::Widgets)
    add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${OBRIN_OUTPUT_DIR})
    obrin_test_properties(${name} LABELS ${ARG_LABELS} ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
