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
    set(env "QT_QPA_PLATFORM=offscreen")
    if(TARGET signsim)
        # End-to-end tests find the simulated sign here; they fail when it is missing.
        list(APPEND env "SIGNSIM=$<TARGET_FILE:signsim>")
        add_dependencies(${target} signsim)
    endif()
    gtest_discover_tests(${target}
        PROPERTIES LABELS ${ARG_LABEL} TIMEOUT ${ARG_TIMEOUT} ENVIRONMENT "${env}"
        DISCOVERY_TIMEOUT 30 NO_PRETTY_VALUES)
endfunction()
