# add_qt_test(name SOURCES a.cpp ... [LIBS lib ...] [E2E])
#
# Unit and widget tests run on the offscreen platform with a fixed locale and time zone.
# End-to-end tests run inside their own Xvfb server with openbox and carry the label "e2e".
# Every test also moves HOME and the XDG folders into a temporary folder (TrellinTestMain.h).
function(add_qt_test name)
    cmake_parse_arguments(T "E2E" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test trellin_testsupport ${T_LIBS})
    set(env "LC_ALL=C.UTF-8;LANG=C.UTF-8;TZ=UTC;HOME=${CMAKE_BINARY_DIR}/test-home")
    if(T_E2E)
        add_test(NAME ${name} COMMAND ${PROJECT_SOURCE_DIR}/scripts/x11-session.sh $<TARGET_FILE:${name}>)
        set_tests_properties(${name} PROPERTIES LABELS e2e ENVIRONMENT "${env}")
    else()
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env};QT_QPA_PLATFORM=offscreen")
    endif()
    if(T_TIMEOUT)
        set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
    else()
        set_tests_properties(${name} PROPERTIES TIMEOUT 120)
    endif()
endfunction()
