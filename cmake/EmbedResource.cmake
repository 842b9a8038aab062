# Turns a data file into a C++ source holding its bytes, so the program carries the file's exact
# content (CR LF included) and never looks for it on disk at run time.
set(HOARDWRIGHT_EMBED_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/EmbedResourceScript.cmake)

function(hoardwright_embed_resource out_var input symbol)
  get_filename_component(name ${input} NAME)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/embedded/${symbol}.cpp)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${input} -DOUTPUT=${output} -DSYMBOL=${symbol}
            -P ${HOARDWRIGHT_EMBED_SCRIPT}
    DEPENDS ${input} ${HOARDWRIGHT_EMBED_SCRIPT}
    COMMENT "Embedding ${name}"
    VERBATIM)
  set(${out_var} ${output} PARENT_SCOPE)
endfunction()
