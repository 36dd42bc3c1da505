# Run after a test program is linked: lists its GoogleTest suites and writes
# one CTest test per suite (all of the suite's tests in one process) into
# OUTPUT. A process per suite instead of per test: starting a test program
# (a sanitizer build above all) costs more than most tests take.
# Each is named PREFIX:Suite, as two programs may hold suites of one name.
#   -D TEST_EXECUTABLE=... -D PREFIX=... -D OUTPUT=... -D TIMEOUT=... -D ENVIRONMENT=...
execute_process(COMMAND "${TEST_EXECUTABLE}" --gtest_list_tests
    OUTPUT_VARIABLE listing RESULT_VARIABLE result TIMEOUT 120)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${TEST_EXECUTABLE} --gtest_list_tests failed (${result}):\n${listing}")
endif()
string(REPLACE "\n" ";" lines "${listing}")
set(script "")
foreach(line IN LISTS lines)
    # A suite's line starts at column 0 and ends its name with a dot; its
    # tests follow, indented.
    if(line MATCHES "^([^ #][^ ]*)\\.")
        set(suite "${CMAKE_MATCH_1}")
        set(test "${PREFIX}:${suite}")
        string(APPEND script
            "add_test([==[${test}]==] [==[${TEST_EXECUTABLE}]==] [==[--gtest_filter=${suite}.*]==])\n"
            "set_tests_properties([==[${test}]==] PROPERTIES TIMEOUT ${TIMEOUT} ENVIRONMENT [==[${ENVIRONMENT}]==])\n")
    endif()
endforeach()
file(WRITE "${OUTPUT}" "${script}")
