# trellin_install_man_page(PAGE SECTION): installs a man page made at build time, compressed as
# Debian wants it (gzip -n keeps the time stamp out, so the package is reproducible).
include(GNUInstallDirs)
function(trellin_install_man_page page section)
    get_filename_component(name ${page} NAME)
    add_custom_command(OUTPUT ${page}.gz
        COMMAND gzip -9 -n -f -k ${page}
        DEPENDS ${page} VERBATIM)
    add_custom_target(man_${name} ALL DEPENDS ${page}.gz)
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endfunction()
