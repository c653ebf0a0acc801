# kp_add_gtest(NAME SOURCES ... LIBS ...): one GoogleTest binary, one CTest test.
# Every binary writes its results as XML into KP_RESULTS_DIR; the test command sums them up.
set(KP_RESULTS_DIR ${CMAKE_BINARY_DIR}/test-results CACHE PATH "GoogleTest XML results")

function(kp_add_gtest name)
    cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} kp_warnings GTest::gtest GTest::gtest_main)
    if(WIN32)
        # gtest under Wine sees the Unix file system as drive Z:.
        set(xml "Z:${KP_RESULTS_DIR}/${name}.xml")
        set_target_properties(${name} PROPERTIES LINK_FLAGS "-mconsole")
        target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/wine/support/NoCrashDialogs.cpp)
    else()
        set(xml "${KP_RESULTS_DIR}/${name}.xml")
    endif()
    add_test(NAME ${name} COMMAND ${name} --gtest_output=xml:${xml}
             WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
endfunction()
