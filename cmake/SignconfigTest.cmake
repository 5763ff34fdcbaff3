# One helper registers a test binary: GoogleTest discovery, a label (unit, widget or e2e), a
# per-test timeout, and the environment every test runs in (offscreen Qt, private config dir).
function(signconfig_add_test target)
    cmake_parse_arguments(ARG "" "LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 60)
    endif()
    add_executable(${target} ${ARG_SOURCES})
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock)
    signconfig_warnings(${target})
    # gtest_discover_tests splits a list of variables, so the second one goes in as a
    # modification. End-to-end tests find the simulated sign through SIGNSIM and fail without it.
    set(simulator "")
    if(TARGET signsim)
        set(simulator ENVIRONMENT_MODIFICATION "SIGNSIM=set:$<TARGET_FILE:signsim>")
        add_dependencies(${target} signsim)
    endif()
    gtest_discover_tests(${target}
        PROPERTIES LABELS ${ARG_LABEL} TIMEOUT ${ARG_TIMEOUT} ENVIRONMENT "QT_QPA_PLATFORM=offscreen" ${simulator}
        DISCOVERY_TIMEOUT 30 NO_PRETTY_VALUES)
endfunction()
