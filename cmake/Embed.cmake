# sovrel_embed_files(TARGET <lib> NAMESPACE <ns> NAMES <n...> FILES <f...>): compiles the files'
# texts into the target as std::string_view constants <ns>::<n>.
function(sovrel_embed_files)
  cmake_parse_arguments(E "" "TARGET;NAMESPACE" "NAMES;FILES" ${ARGN})
  set(output ${CMAKE_CURRENT_BINARY_DIR}/${E_TARGET}_embedded.cpp)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} "-DOUTPUT=${output}" "-DNAMESPACE=${E_NAMESPACE}" "-DNAMES=${E_NAMES}"
            "-DINPUTS=${E_FILES}" -P ${PROJECT_SOURCE_DIR}/cmake/embed_files.cmake
    DEPENDS ${E_FILES} ${PROJECT_SOURCE_DIR}/cmake/embed_files.cmake
    COMMENT "Embedding ${E_NAMES}"
    VERBATIM)
  target_sources(${E_TARGET} PRIVATE ${output})
endfunction()
