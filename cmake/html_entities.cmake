# seance_html_entities(TARGET): TARGET's sources may include "html_entities.inc", every named
# character reference of HTML, generated at build time from the Python found here.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
function(seance_html_entities target)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_generated/html_entities.inc)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/${target}_generated
    COMMAND Python3::Interpreter ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/html_entities.py ${out}
    DEPENDS ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/html_entities.py
    COMMENT "Named HTML character references")
  target_sources(${target} PRIVATE ${out})
  target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}_generated)
endfunction()
