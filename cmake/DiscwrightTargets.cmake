# Shared build rules for the deliverables.

# The debug and asan presets turn on DW_STRICT_WARNINGS: every warning fails the build there (the
# asan one is what make test and CI build), unused parameters included (leave an unused parameter
# unnamed, or mark it [[maybe_unused]]).
if(DW_STRICT_WARNINGS)
    set(DW_WARNINGS -Wall -Wextra -Wunused-parameter -Werror)
else()
    set(DW_WARNINGS -Wall -Wextra -Wno-unused-parameter)
endif()
# Libraries (and their test programs) whose unused parameters are still being mended: there they
# warn without failing the build. Take a library off the list once its build is clean.
set(DW_UNUSED_PARAMETERS_PENDING)

# dw_warnings_for(out library): the warning options for the targets of library.
function(dw_warnings_for out library)
    set(options ${DW_WARNINGS})
    if(DW_STRICT_WARNINGS AND library IN_LIST DW_UNUSED_PARAMETERS_PENDING)
        list(APPEND options -Wno-error=unused-parameter)
    endif()
    set(${out} ${options} PARENT_SCOPE)
endfunction()

# dw_add_library(name DIR dir [LIBS ...]): a shared library from every .cpp under dir (tests, fuzz,
# bench and helper-program folders excluded). The include root is the folder above dir, so headers read as
# <Platterkit/model/DVDMenu.h>.
function(dw_add_library name)
    cmake_parse_arguments(ARG "" "DIR" "LIBS" ${ARGN})
    # Matched below dir only, so that a checkout inside a folder named like one of them still builds.
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS RELATIVE ${ARG_DIR} ${ARG_DIR}/*.cpp ${ARG_DIR}/*.h)
    list(FILTER sources EXCLUDE REGEX "(^|/)(tests|fuzz|bench|programs)/")
    list(TRANSFORM sources PREPEND ${ARG_DIR}/)
    add_library(${name} SHARED ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    dw_warnings_for(warnings ${name})
    target_compile_options(${name} PRIVATE ${warnings})
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
endfunction()

# dw_add_tests(prefix DIR testsdir LIBS ... [TSAN_TESTS name ...] [FIXTURES fixture]): one test
# program per *_test.cpp in testsdir, each linked with the .cpp files of testsdir/support and with
# the shared test support (testsupport/, the DiscwrightTestSupport library). One program per file
# keeps a broken file from taking the others down and lets ctest run them in parallel. The programs
# named in TSAN_TESTS (file names without .cpp, "SerialQueue_test") get the ctest label "tsan": they
# start no child process and stay clean under ThreadSanitizer (`ctest -L tsan` in a -DDW_TSAN=ON
# tree). Every test requires the ctest fixture FIXTURES.
function(dw_add_tests prefix)
    cmake_parse_arguments(ARG "" "DIR" "LIBS;TSAN_TESTS;FIXTURES" ${ARGN})
    file(GLOB support CONFIGURE_DEPENDS ${ARG_DIR}/support/*.cpp ${ARG_DIR}/support/*.h)
    set(support_target "")
    if(support)
        # A library's test folders each have their own support: tests/support keeps the plain
        # name, a subfolder's (tests/production/support) is named after the subfolder.
        get_filename_component(test_folder ${ARG_DIR} NAME)
        if(test_folder STREQUAL "tests")
            set(support_target ${prefix}_test_support)
        else()
            set(support_target ${prefix}_${test_folder}_test_support)
        endif()
        add_library(${support_target} STATIC ${support})
        target_include_directories(${support_target} PUBLIC ${PROJECT_SOURCE_DIR} ${ARG_DIR})
        target_link_libraries(${support_target} PUBLIC ${ARG_LIBS} DiscwrightTestSupport GTest::gtest)
        target_compile_definitions(${support_target} PUBLIC
            DW_SOURCE_DIR="${PROJECT_SOURCE_DIR}" DW_BINARY_DIR="${CMAKE_BINARY_DIR}")
    endif()
    # The test programs take the warnings of the library they test (the first of LIBS).
    list(GET ARG_LIBS 0 tested_library)
    dw_warnings_for(warnings ${tested_library})
    file(GLOB tests CONFIGURE_DEPENDS ${ARG_DIR}/*_test.cpp)
    foreach(test_source ${tests})
        get_filename_component(test_name ${test_source} NAME_WE)
        set(target ${prefix}_${test_name})
        add_executable(${target} ${test_source})
        target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR} ${ARG_DIR})
        target_compile_options(${target} PRIVATE ${warnings})
        target_compile_definitions(${target} PRIVATE
            DW_SOURCE_DIR="${PROJECT_SOURCE_DIR}" DW_BINARY_DIR="${CMAKE_BINARY_DIR}")
        target_link_libraries(${target} PRIVATE ${ARG_LIBS} ${support_target} DiscwrightTestSupport
            GTest::gtest GTest::gtest_main GTest::gmock)
        set(extra_properties "")
        if(test_name IN_LIST ARG_TSAN_TESTS)
            list(APPEND extra_properties LABELS tsan)
            if(DW_TSAN)
                # Under ThreadSanitizer SDL's probing of the sound systems (loading and trying ALSA
                # and PulseAudio) takes ten seconds and more per process; these machines have no
                # sound device, so go to the silent output at once. The probing and its fallback
                # stay covered by the other builds.
                list(APPEND extra_properties ENVIRONMENT SDL_AUDIODRIVER=dummy)
                # Qt's own locking is invisible to the sanitizer (see the file).
                list(APPEND extra_properties ENVIRONMENT
                     TSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/cmake/ThreadSanitizer.supp)
            endif()
        endif()
        if(DW_SANITIZE)
            list(APPEND extra_properties ENVIRONMENT
                 LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/cmake/LeakSanitizer.supp)
        endif()
        if(ARG_FIXTURES)
            list(APPEND extra_properties FIXTURES_REQUIRED ${ARG_FIXTURES})
        endif()
        # Each variable is its own ENVIRONMENT property: a single "A;B" string is split into separate
        # arguments on its way through the discovery script.
        gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60
            PROPERTIES ENVIRONMENT DISCWRIGHT_FATAL_ASSERTS=1 ENVIRONMENT QT_QPA_PLATFORM=offscreen
            ${extra_properties})
    endforeach()
endfunction()
