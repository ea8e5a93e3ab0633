# trellin_layer(target FOLDER dir FORBID pattern...)
#
# A domain or platform folder must not reach up or sideways. Its libraries link Qt Core only,
# so a module-less include such as <QWidget> already fails; but Qt's include root is shared by
# all its modules, and X11's headers sit in the system folder, so <QtWidgets/QWidget> or
# <X11/Xlib.h> would still compile. This check runs before the target is compiled and fails
# the build on any include line of the folder's own files that matches a forbidden pattern.
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
        COMMENT "Checking the includes of ${target}" VERBATIM)
    add_custom_target(${target}_includes DEPENDS ${stamp})
    add_dependencies(${target} ${target}_includes)
endfunction()

# What no domain folder may include: widgets, Qt Gui and other GUI modules, X11, and the layers
# above the domain.
set(TRELLIN_DOMAIN_FORBIDDEN
    "<Qt(Gui|Widgets|PrintSupport|Test|OpenGL|Svg)/"
    "<(X11|xcb|xkbcommon)/"
    "\"(gui|app|cli|platform/x11|platform/qt)/")
