# The images that travel inside the executable, by the names the loader asks for.
set(ZELLIK_RESOURCE_NAMES JPEG_ZELLIK_MASK LOGO_MASK)
set(ZELLIK_RESOURCE_FILES
    ${PROJECT_SOURCE_DIR}/resources/atlas.jpg
    ${PROJECT_SOURCE_DIR}/resources/logo.jpg)

# On systems without executable resources the files become a generated table
# of byte arrays, rebuilt whenever a file changes.
function(zellik_embedded_resources out_var)
  set(output ${PROJECT_BINARY_DIR}/generated/embedded_resources.cpp)
  # Lists cannot pass through a command line whole: join them with '|'.
  string(REPLACE ";" "|" names "${ZELLIK_RESOURCE_NAMES}")
  string(REPLACE ";" "|" files "${ZELLIK_RESOURCE_FILES}")
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DOUTPUT=${output} -DNAMES=${names} -DFILES=${files} -P ${PROJECT_SOURCE_DIR}/cmake/EmbedResources.cmake
    DEPENDS ${ZELLIK_RESOURCE_FILES} ${PROJECT_SOURCE_DIR}/cmake/EmbedResources.cmake
    COMMENT "Embedding resources"
    VERBATIM)
  set(${out_var} ${output} PARENT_SCOPE)
endfunction()
