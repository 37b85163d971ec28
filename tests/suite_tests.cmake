# suite_tests.cmake: lists the tests of a GoogleTest program and writes the
# CTest file that runs them one suite to a process (CTest test <prefix><Suite>,
# e.g. shell.Keyboard), which spares starting a sanitized program for every
# single test. The tests of a value-parameterised suite (a `/` in its name, as
# in Allocations/OutOfMemorySweep) and of the suites named in SPLIT are long,
# so each of them is a CTest test of its own (<prefix><Suite>.<test>) and they
# run side by side.
#
# Run after the program is linked:
#   cmake -D PROGRAM=<exe> -D PREFIX=<prefix.> -D WORKDIR=<dir> -D LABELS=<label>
#         -D TIMEOUT=<seconds> -D SPLIT=<Suite,...> -D OUTPUT=<file.cmake>
#         -P suite_tests.cmake
cmake_minimum_required(VERSION 3.16)

execute_process(COMMAND "${PROGRAM}" --gtest_list_tests
                WORKING_DIRECTORY "${WORKDIR}"
                TIMEOUT 60
                OUTPUT_VARIABLE listing
                ERROR_VARIABLE errors
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} --gtest_list_tests failed (${result}):\n${listing}${errors}")
endif()

# Writes the lines that add one CTest test running the tests of `filter`.
function(suite_test name filter single)
    set(properties "WORKING_DIRECTORY [==[${WORKDIR}]==] LABELS ${LABELS} TIMEOUT ${TIMEOUT}")
    if(single)
        # A lone test that skips itself shows as skipped; in a whole suite the
        # others' results count.
        string(APPEND properties " SKIP_REGULAR_EXPRESSION [==[\\[  SKIPPED \\]]==]")
    endif()
    file(APPEND "${OUTPUT}.new"
         "add_test([==[${PREFIX}${name}]==] [==[${PROGRAM}]==] [==[--gtest_filter=${filter}]==])\n"
         "set_tests_properties([==[${PREFIX}${name}]==] PROPERTIES ${properties})\n")
endfunction()

file(WRITE "${OUTPUT}.new" "# Written by suite_tests.cmake from ${PROGRAM} --gtest_list_tests.\n")
string(REPLACE "," ";" split_suites "${SPLIT}")
string(REPLACE "\n" ";" lines "${listing}")
set(suite "")
set(one_by_one FALSE)
foreach(line IN LISTS lines)
    if(line MATCHES "^([A-Za-z_][A-Za-z0-9_/]*)\\.( .*)?$")
        set(suite "${CMAKE_MATCH_1}")
        set(one_by_one FALSE)
        if(suite MATCHES "/" OR suite IN_LIST split_suites)
            set(one_by_one TRUE)
        else()
            suite_test("${suite}" "${suite}.*" FALSE)
        endif()
    elseif(one_by_one AND line MATCHES "^  ([A-Za-z0-9_/]+)")
        suite_test("${suite}.${CMAKE_MATCH_1}" "${suite}.${CMAKE_MATCH_1}" TRUE)
    endif()
endforeach()
file(RENAME "${OUTPUT}.new" "${OUTPUT}")
