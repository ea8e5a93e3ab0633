# cmake -DPROGRAM=exe -DARGS=a,b -DOUTPUT=file -P RunToFile.cmake
# Runs the program and writes its standard output to the file; a failing run fails the build.
string(REPLACE "," ";" args "${ARGS}")
get_filename_component(folder "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${folder}")
execute_process(COMMAND "${PROGRAM}" ${args} OUTPUT_FILE "${OUTPUT}.new" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    file(REMOVE "${OUTPUT}.new")
    message(FATAL_ERROR "${PROGRAM} ${args} failed: ${status}")
endif()
file(RENAME "${OUTPUT}.new" "${OUTPUT}")
