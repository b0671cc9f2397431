# One helper per kind of test, so every test executable is registered with
# CTest the same way and runs from the shared output folder.
find_package(GTest QUIET)

# obrin_add_gtest(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2 [LABELS l])
function(obrin_add_gtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
    add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${OBRIN_OUTPUT_DIR})
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}" TIMEOUT 300)
endfunction()

# obrin_add_qttest(NAME SOURCES a.cpp LIBS lib1 [LABELS l])
# Widget tests run on the offscreen platform unless the caller chose another.
function(obrin_add_qttest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test Qt6::Widgets)
    add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${OBRIN_OUTPUT_DIR})
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}" TIMEOUT 300
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
