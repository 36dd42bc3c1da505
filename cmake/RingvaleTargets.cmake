# One interface target carries the language level, warnings and Qt's strict defines.
add_library(ringvale_defaults INTERFACE)
target_compile_features(ringvale_defaults INTERFACE cxx_std_20)
target_compile_options(ringvale_defaults INTERFACE -Wall -Wextra)
if(RINGVALE_WERROR)
    target_compile_options(ringvale_defaults INTERFACE -Werror)
    target_compile_definitions(ringvale_defaults INTERFACE _GLIBCXX_ASSERTIONS)
endif()
target_compile_definitions(ringvale_defaults INTERFACE
    QT_NO_CAST_FROM_ASCII QT_USE_QSTRINGBUILDER)
target_include_directories(ringvale_defaults INTERFACE ${PROJECT_SOURCE_DIR})

# Build cost. A test unit spends most of its compile time on what every
# test unit shares: the Qt, GoogleTest and standard headers and the template
# code they instantiate. A test program's units are therefore compiled a few
# at a time as one (a unity build). The programs' own code is compiled unit by
# unit, so each of its files must stand on its own includes.
option(RINGVALE_UNITY_TESTS "Compile each test program's units in batches (unity build)" ON)
set(RINGVALE_UNITY_BATCH 8 CACHE STRING "Test units per unity batch")

# Automatic moc re-runs when a file it already knows of changes, but not
# when a glob brings in a new one: its list of inputs is from its last run.
# So a Q_OBJECT class added to a folder would never be moc'ed on an
# incremental build and its vtable would be missing at link time. When the
# target's sources differ from the last configure, its moc step is made out
# of date by removing its stamp (in AUTOGEN_BUILD_DIR's default place).
function(ringvale_moc_follows_sources target sources)
    set(list_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_sources.txt)
    string(REPLACE ";" "\n" listing "${sources}")
    set(previous "")
    if(EXISTS ${list_file})
        file(READ ${list_file} previous)
    endif()
    if(NOT previous STREQUAL listing)
        file(WRITE ${list_file} "${listing}")
        file(REMOVE ${CMAKE_CURRENT_BINARY_DIR}/${target}_autogen/timestamp)
    endif()
endfunction()

# ringvale_library(<target> [LINKS <deps>...])
# A library from every .cpp/.h in the calling folder (main.cpp excluded), so
# adding a unit to a folder needs no edit here.
function(ringvale_library target)
    cmake_parse_arguments(ARG "" "" "LINKS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS
        ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
    list(FILTER sources EXCLUDE REGEX "/main_[^/]*\\.cpp$")
    if(NOT sources)
        # A folder whose units have not arrived yet still gives a target.
        add_library(${target} INTERFACE)
        target_link_libraries(${target} INTERFACE ringvale_defaults ${ARG_LINKS})
        return()
    endif()
    add_library(${target} STATIC ${sources})
    target_link_libraries(${target} PUBLIC ringvale_defaults ${ARG_LINKS})
    ringvale_moc_follows_sources(${target} "${sources}")
endfunction()

# ringvale_test(<name> FOLDER <dir> [WIDGETS] [EXCLUDE <files>...] LINKS <deps>...)
# One GoogleTest program from every .cpp in a test folder (but the EXCLUDEd
# names, which a shared test library holds). WIDGETS gives it the main that
# makes a QApplication, for tests that show windows.
function(ringvale_test name)
    cmake_parse_arguments(ARG "WIDGETS" "FOLDER" "LINKS;EXCLUDE" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${ARG_FOLDER}/*.cpp ${ARG_FOLDER}/*.h)
    foreach(excluded ${ARG_EXCLUDE})
        list(REMOVE_ITEM sources ${ARG_FOLDER}/${excluded})
    endforeach()
    if(NOT sources)
        return()
    endif()
    if(ARG_WIDGETS)
        # Defined here, main is not taken from the support library.
        list(APPEND sources ${PROJECT_SOURCE_DIR}/tests/support/widgets/WidgetTestMain.cpp)
        list(APPEND ARG_LINKS Qt6::Widgets)
    endif()
    add_executable(${name} ${sources})
    ringvale_moc_follows_sources(${name} "${sources}")
    target_link_libraries(${name} PRIVATE ringvale_test_support ${ARG_LINKS}
        GTest::gtest GTest::gmock)
    if(RINGVALE_UNITY_TESTS)
        set_target_properties(${name} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE ${RINGVALE_UNITY_BATCH})
        # A fixture in an anonymous namespace is fine in a file of its own;
        # GCC warns about it once the file is included into a batch.
        target_compile_options(${name} PRIVATE -Wno-subobject-linkage)
    endif()
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    # The sanitizers make every test several times slower. The bound is a
    # whole suite's, run in one process.
    set(timeout 600)
    if(RINGVALE_SANITIZE)
        set(timeout 1800)
    endif()
    set(suites ${CMAKE_CURRENT_BINARY_DIR}/${name}_suites.cmake)
    string(REGEX REPLACE "^test_" "" prefix ${name})
    add_custom_command(TARGET ${name} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -D TEST_EXECUTABLE=$<TARGET_FILE:${name}> -D PREFIX=${prefix} -D OUTPUT=${suites}
            -D TIMEOUT=${timeout} -D ENVIRONMENT=QT_QPA_PLATFORM=offscreen
            -P ${PROJECT_SOURCE_DIR}/cmake/DiscoverTestSuites.cmake
        BYPRODUCTS ${suites} VERBATIM)
    set(include_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_include.cmake)
    file(WRITE ${include_file} "if(EXISTS [==[${suites}]==])\n  include([==[${suites}]==])\n"
        "else()\n  add_test([==[${name}_NOT_BUILT]==] [==[${name}_NOT_BUILT]==])\nendif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${include_file})
endfunction()
