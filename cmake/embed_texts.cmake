# Turns each docs/<name>.txt into a null-terminated array of lines, kvr::k<Name>Lines, in one C++
# source. A line that reads "@include <file>" is replaced by the lines of docs/<file>, so the class
# identifier list has one source shared by the brief and the verbose information.
# Inputs: SOURCE_DIR (the docs folder), OUTPUT (the .cc to write), TEXTS (the names, separated by commas).

function(kvr_read_text path out_var)
  file(READ "${path}" content)
  string(REPLACE "\r" "" content "${content}")
  string(REGEX MATCHALL "@include [A-Za-z0-9_.]+\n" includes "${content}")
  foreach(directive IN LISTS includes)
    string(REGEX REPLACE "@include ([A-Za-z0-9_.]+)\n" "\\1" included "${directive}")
    file(READ "${SOURCE_DIR}/${included}" included_content)
    string(REPLACE "\r" "" included_content "${included_content}")
    string(REPLACE "${directive}" "${included_content}" content "${content}")
  endforeach()
  set(${out_var} "${content}" PARENT_SCOPE)
endfunction()

set(source "// Generated from the files under docs/ by cmake/embed_texts.cmake. Do not edit.\n")
string(APPEND source "#include \"frontend/console_text.h\"\n\nnamespace kvr {\n")
string(REPLACE "," ";" TEXTS "${TEXTS}")
foreach(name IN LISTS TEXTS)
  kvr_read_text("${SOURCE_DIR}/${name}.txt" content)
  string(REGEX REPLACE "\n$" "" content "${content}")
  string(REPLACE "\\" "\\\\" content "${content}")
  string(REPLACE "\"" "\\\"" content "${content}")
  string(REPLACE "\t" "\\t" content "${content}")
  string(REPLACE "\n" "\",\n    \"" content "${content}")
  # brief_help -> BriefHelp
  string(REPLACE "_" ";" words "${name}")
  set(symbol "k")
  foreach(word IN LISTS words)
    string(SUBSTRING "${word}" 0 1 first)
    string(SUBSTRING "${word}" 1 -1 rest)
    string(TOUPPER "${first}" first)
    string(APPEND symbol "${first}${rest}")
  endforeach()
  string(APPEND source "\nconst char* const ${symbol}Lines[] = {\n    \"${content}\",\n    nullptr};\n")
endforeach()
string(APPEND source "\n}  // namespace kvr\n")

# Only touch the output when it changes, so that a rebuild does not recompile for nothing.
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
  if(old STREQUAL source)
    return()
  endif()
endif()
file(WRITE "${OUTPUT}" "${source}")
