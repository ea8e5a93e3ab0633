# cmake -DSOURCE=docs/help -DDESTINATION=<build>/share/moxeno-trellin/help -P CopyHelp.cmake
if(EXISTS "${SOURCE}")
    file(REMOVE_RECURSE "${DESTINATION}")
    file(COPY "${SOURCE}/" DESTINATION "${DESTINATION}")
endif()
