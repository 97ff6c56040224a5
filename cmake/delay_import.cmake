# Delay-loaded imports for the system DLLs whose loading could reach the
# program's folder (see common/system_libraries_win.h): the programs then
# import nothing from them at load time, and load them from the system folder
# themselves.
#
# bf_delay_import(<dll>...) makes a target bf_delay_<dll> per DLL to link in
# place of <dll>. Its delay-import library is made from the exports of
# MinGW's ordinary import library for that DLL.

function(bf_delay_import)
  foreach(dll IN LISTS ARGN)
    find_library(BF_IMPLIB_${dll} NAMES ${dll} REQUIRED)
    set(out ${CMAKE_BINARY_DIR}/delay/lib${dll}_delay.a)
    add_custom_command(OUTPUT ${out}
      COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DDLLTOOL=${CMAKE_DLLTOOL} -DIMPLIB=${BF_IMPLIB_${dll}}
              -DDLL=${dll}.dll -DOUT=${out} -P ${PROJECT_SOURCE_DIR}/cmake/make_delay_lib.cmake
      DEPENDS ${BF_IMPLIB_${dll}} ${PROJECT_SOURCE_DIR}/cmake/make_delay_lib.cmake
      COMMENT "Delay-import library for ${dll}.dll")
    add_custom_target(bf_delay_${dll}_lib DEPENDS ${out})
    add_library(bf_delay_${dll} INTERFACE)
    target_link_libraries(bf_delay_${dll} INTERFACE ${out})
    add_dependencies(bf_delay_${dll} bf_delay_${dll}_lib)
  endforeach()
endfunction()
