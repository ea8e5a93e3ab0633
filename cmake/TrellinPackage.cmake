# `make package` builds a Debian package with CPack. Its version is the project's; its runtime
# dependencies are worked out by dpkg-shlibdeps from the binaries, never listed by hand.
include(GNUInstallDirs)

set(TRELLIN_MAINTAINER "Moxeno <support@moxeno.example>")
set(TRELLIN_PACKAGE_NAME moxeno-trellin)

# Debian wants a copyright file and a changelog (compressed, without a time stamp in the gzip
# header) in the package's documentation folder.
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/${TRELLIN_PACKAGE_NAME})
execute_process(COMMAND date -u -R -d "${TRELLIN_RELEASE_DATE} 12:00"
    OUTPUT_VARIABLE TRELLIN_RELEASE_TIME OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
set(changelog ${CMAKE_BINARY_DIR}/data/changelog)
configure_file(${PROJECT_SOURCE_DIR}/data/changelog.in ${changelog} @ONLY)
add_custom_command(OUTPUT ${changelog}.gz
    COMMAND gzip -9 -n -f -k ${changelog}
    DEPENDS ${changelog} VERBATIM)
add_custom_target(trellin_changelog ALL DEPENDS ${changelog}.gz)
install(FILES ${changelog}.gz ${PROJECT_SOURCE_DIR}/data/copyright DESTINATION ${doc_dir})

# Packing does not build the whole tree again first: `make package` (the Makefile) builds before
# it packs, and the package test runs after the build, where checking every target anew took
# a minute of its time.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${TRELLIN_PACKAGE_NAME})
set(CPACK_PACKAGE_VENDOR Moxeno)
set(CPACK_PACKAGE_CONTACT "${TRELLIN_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_INSTALL_DIRECTORY /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TRELLIN_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://moxeno.example/trellin)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# CPack writes the synopsis as the first line and indents the description below it; an empty
# line becomes the " ." that separates paragraphs.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "text snippets and keyboard macros at hand in every program")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Moxeno Trellin keeps 99 boxes of 99 text snippets and up to 99 keyboard
macros per box. A click copies a stored text to the clipboard, a right click
stores the clipboard; a macro types itself into the window you left last.
A search across all boxes, a calculator and ten notepads come with it, and
trellinctl does the same from scripts.

Typing into other windows needs an X11 session (or XWayland).")
include(CPack)
