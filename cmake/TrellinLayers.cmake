# Who may use whom among the domain layers. Each domain folder is one library that links Qt
# Core and exactly the layers listed here, and its files may include those layers and nothing
# else. The build (trellin_domain_library) and the test layer_includes (CheckLayersTest.cmake)
# both read this table.
set(TRELLIN_DOMAIN_LAYERS core platform macros calc notepads boxes search)
set(TRELLIN_USES_core)
set(TRELLIN_USES_platform core)
set(TRELLIN_USES_macros core platform)
set(TRELLIN_USES_calc core)
set(TRELLIN_USES_notepads core)
set(TRELLIN_USES_boxes core)
set(TRELLIN_USES_search core)

# What no domain folder may include: widgets, Qt Gui and other GUI modules, X11, and the layers
# above the domain.
set(TRELLIN_DOMAIN_FORBIDDEN
    "<Qt(Gui|Widgets|PrintSupport|Test|OpenGL|Svg)/"
    "<(X11|xcb|xkbcommon)/"
    "\"(gui|app|cli|platform/x11|platform/qt)/")

# trellin_layer_forbidden(layer out): the include patterns the layer's files must not match,
# the common ones and every domain layer the layer does not use.
function(trellin_layer_forbidden layer out)
    set(others ${TRELLIN_DOMAIN_LAYERS})
    list(REMOVE_ITEM others ${layer} ${TRELLIN_USES_${layer}})
    set(patterns ${TRELLIN_DOMAIN_FORBIDDEN})
    if(others)
        string(JOIN "|" alternatives ${others})
        list(APPEND patterns "\"(${alternatives})/")
    endif()
    set(${out} ${patterns} PARENT_SCOPE)
endfunction()

# trellin_forbid_includes(target FOLDER dir FORBID pattern...)
#
# A folder must not reach up or sideways. The domain libraries link Qt Core only, so a
# module-less include such as <QWidget> already fails; but Qt's include root is shared by all
# its modules, and X11's headers sit in the system folder, so <QtWidgets/QWidget> or
# <X11/Xlib.h> would still compile, and every library finds every header below src/. This
# check runs before the target is compiled and fails the build on any include line of the
# folder's own files that matches a forbidden pattern.
function(trellin_forbid_includes target)
    cmake_parse_arguments(L "" "FOLDER" "FORBID" ${ARGN})
    get_target_property(sources ${target} SOURCES)
    set(files)
    foreach(source IN LISTS sources)
        get_filename_component(path ${source} ABSOLUTE BASE_DIR ${L_FOLDER})
        list(APPEND files ${path})
    endforeach()
    string(JOIN "|" patterns ${L_FORBID})
    set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}_includes.stamp)
    add_custom_command(OUTPUT ${stamp}
        COMMAND ${CMAKE_COMMAND} "-DFILES=${files}" "-DPATTERNS=${patterns}" "-DLAYER=${target}"
                -DSTAMP=${stamp} -P ${PROJECT_SOURCE_DIR}/cmake/CheckIncludes.cmake
        DEPENDS ${files} ${PROJECT_SOURCE_DIR}/cmake/CheckIncludes.cmake
                ${PROJECT_SOURCE_DIR}/cmake/TrellinLayers.cmake
        COMMENT "Checking the includes of ${target}" VERBATIM)
    add_custom_target(${target}_includes DEPENDS ${stamp})
    add_dependencies(${target} ${target}_includes)
endfunction()

# trellin_domain_library(layer source...): the library trellin_<layer> of the folder src/<layer>,
# linking Qt Core and the layers the table above lets it use, with its includes checked.
function(trellin_domain_library layer)
    set(target trellin_${layer})
    add_library(${target} STATIC ${ARGN})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${target} PUBLIC Qt6::Core)
    foreach(used IN LISTS TRELLIN_USES_${layer})
        target_link_libraries(${target} PUBLIC trellin_${used})
    endforeach()
    trellin_layer_forbidden(${layer} forbidden)
    trellin_forbid_includes(${target} FOLDER ${CMAKE_CURRENT_SOURCE_DIR} FORBID ${forbidden})
endfunction()
