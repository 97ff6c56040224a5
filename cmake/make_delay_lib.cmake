# cmake -DNM= -DDLLTOOL= -DIMPLIB= -DDLL= -DOUT= -P make_delay_lib.cmake
# Lists the functions MinGW's import library IMPLIB exports and makes OUT, a
# delay-import library for DLL with the same functions.
execute_process(COMMAND ${NM} -g --defined-only ${IMPLIB} OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL "[0-9a-fA-F]+ T [A-Za-z_][A-Za-z0-9_@]*" lines "${symbols}")
set(def "LIBRARY ${DLL}\nEXPORTS\n")
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^[0-9a-fA-F]+ T " "" name "${line}")
  string(APPEND def "${name}\n")
endforeach()
get_filename_component(dir ${OUT} DIRECTORY)
file(MAKE_DIRECTORY ${dir})
file(WRITE ${OUT}.def "${def}")
# Made inside its folder: dlltool names the import descriptor after the output
# path, and the programs refer to it as __DELAY_IMPORT_DESCRIPTOR_lib<dll>_delay_a.
get_filename_component(name ${OUT} NAME)
execute_process(COMMAND ${DLLTOOL} --input-def ${name}.def --dllname ${DLL} --output-delaylib ${name}
                WORKING_DIRECTORY ${dir} COMMAND_ERROR_IS_FATAL ANY)
