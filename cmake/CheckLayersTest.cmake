# cmake -DSOURCE=<project root> -P CheckLayersTest.cmake
# The include check of the domain layers, tried both ways: every folder passes as it is and
# includes each layer its table entry lets it link (a link it does not use is an error too);
# a domain file that includes a widget, Qt Gui or X11 header, or a layer it may not use, is
# refused.
include(${CMAKE_CURRENT_LIST_DIR}/TrellinLayers.cmake)
set(check ${CMAKE_CURRENT_LIST_DIR}/CheckIncludes.cmake)
set(work ${CMAKE_CURRENT_BINARY_DIR}/layer-check)
file(MAKE_DIRECTORY ${work})

# check_files(layer files result output): runs the build's include check of the layer.
function(check_files layer files result output)
    trellin_layer_forbidden(${layer} forbidden)
    string(JOIN "|" patterns ${forbidden})
    execute_process(COMMAND ${CMAKE_COMMAND} "-DFILES=${files}" "-DPATTERNS=${patterns}" -DLAYER=${layer}
                            -DSTAMP=${work}/stamp -P ${check} RESULT_VARIABLE code ERROR_VARIABLE text)
    set(${result} ${code} PARENT_SCOPE)
    set(${output} "${text}" PARENT_SCOPE)
endfunction()

foreach(layer IN LISTS TRELLIN_DOMAIN_LAYERS)
    file(GLOB sources ${SOURCE}/src/${layer}/*.h ${SOURCE}/src/${layer}/*.cpp)
    check_files(${layer} "${sources}" result output)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "src/${layer} breaks the layering:\n${output}")
    endif()
    foreach(used IN LISTS TRELLIN_USES_${layer})
        set(found FALSE)
        foreach(source IN LISTS sources)
            file(STRINGS ${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"${used}/")
            if(lines)
                set(found TRUE)
                break()
            endif()
        endforeach()
        if(NOT found)
            message(FATAL_ERROR "trellin_${layer} links trellin_${used} but includes nothing of it")
        endif()
    endforeach()
endforeach()

# layer and include line: each must be refused. A layer may not include a sibling it does not
# link, nor anything above the domain.
set(probes
    "core|<QtWidgets/QMessageBox>"
    "boxes|<QtGui/QClipboard>"
    "platform|<X11/Xlib.h>"
    "search|\"gui/main/MainWindow.h\""
    "core|\"calc/Evaluator.h\""
    "core|\"notepads/FindReplace.h\""
    "core|\"search/SearchEngine.h\""
    "core|\"platform/KeySender.h\""
    "platform|\"macros/KeystrokeNotation.h\""
    "boxes|\"macros/MacroStore.h\""
    "search|\"boxes/BoxStore.h\""
    "macros|\"platform/x11/X11KeySender.h\"")
foreach(probe IN LISTS probes)
    string(REPLACE "|" ";" parts "${probe}")
    list(GET parts 0 layer)
    list(GET parts 1 include)
    file(WRITE ${work}/Probe.cpp "#include \"core/Result.h\"\n  #  include ${include}\n")
    check_files(${layer} ${work}/Probe.cpp result output)
    if(result EQUAL 0 OR NOT output MATCHES "Probe.cpp")
        message(FATAL_ERROR "A file of src/${layer} including ${include} was not refused")
    endif()
    string(REGEX MATCH "Probe.cpp:[^\n]*" refused "${output}")
    message(STATUS "src/${layer} refuses ${refused}")
endforeach()
