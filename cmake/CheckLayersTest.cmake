# cmake -DSOURCE=<project root> -P CheckLayersTest.cmake
# The include check of the domain layers, tried both ways: it passes on the folders as they
# are, and it fails on a domain file that includes a widget, Qt Gui or X11 header.
include(${CMAKE_CURRENT_LIST_DIR}/TrellinLayers.cmake)
string(JOIN "|" patterns ${TRELLIN_DOMAIN_FORBIDDEN})
set(check ${CMAKE_CURRENT_LIST_DIR}/CheckIncludes.cmake)
set(work ${CMAKE_CURRENT_BINARY_DIR}/layer-check)
file(MAKE_DIRECTORY ${work})

foreach(folder core boxes macros notepads platform calc search)
    file(GLOB sources ${SOURCE}/src/${folder}/*.h ${SOURCE}/src/${folder}/*.cpp)
    execute_process(COMMAND ${CMAKE_COMMAND} "-DFILES=${sources}" "-DPATTERNS=${patterns}" -DLAYER=${folder}
                            -DSTAMP=${work}/stamp -P ${check} RESULT_VARIABLE result ERROR_VARIABLE output)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "src/${folder} breaks the layering:\n${output}")
    endif()
endforeach()

foreach(include "<QtWidgets/QMessageBox>" "<QtGui/QClipboard>" "<X11/Xlib.h>" "\"gui/main/MainWindow.h\"")
    file(WRITE ${work}/Probe.cpp "#include \"core/Result.h\"\n  #  include ${include}\n")
    execute_process(COMMAND ${CMAKE_COMMAND} -DFILES=${work}/Probe.cpp "-DPATTERNS=${patterns}" -DLAYER=probe
                            -DSTAMP=${work}/stamp -P ${check} RESULT_VARIABLE result ERROR_VARIABLE output)
    if(result EQUAL 0 OR NOT output MATCHES "Probe.cpp")
        message(FATAL_ERROR "A domain file including ${include} was not refused")
    endif()
endforeach()
