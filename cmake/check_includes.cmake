# Fails when an #include under src/ runs against the order of its folders. A file may include
# files of its own folder and of the folders listed for it below; src/main.cc counts as the folder
# "main". The order, from the top: main -> frontend -> commands -> library -> config -> database
# -> base, with scanlib (the library's interface) below frontend, commands and library, and view
# (the companion program) a top of its own that kvrbuild never includes. Below view stand lint (the
# checks of a board.cfg as records, which may use the built-in library for its error texts), bridge
# (the formats of the open JTAG tools, above database) and jtag (the simulated scan path, which
# needs base alone). lsp (the language server) stands between view and lint: view calls its entry
# point, and it reads the information texts that frontend carries.
# Input: SOURCE_DIR, the src folder.
cmake_minimum_required(VERSION 3.25)

set(allowed_main frontend library scanlib base)
set(allowed_frontend commands scanlib base)
set(allowed_commands config database scanlib base)
set(allowed_library config database scanlib base)
set(allowed_view lsp lint bridge jtag library config database scanlib base)
set(allowed_lsp lint frontend library config database scanlib base)
set(allowed_lint library config database scanlib base)
set(allowed_bridge config database base)
set(allowed_jtag base)
set(allowed_config database base)
set(allowed_database base)
set(allowed_scanlib base)
set(allowed_base "")

file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cc")
set(wrong "")
foreach(source IN LISTS sources)
  if(source MATCHES "/")
    string(REGEX REPLACE "/.*" "" folder "${source}")
  else()
    set(folder main)
  endif()
  if(NOT DEFINED allowed_${folder})
    string(APPEND wrong "\n  ${source}: the folder ${folder} has no place in the order")
    continue()
  endif()
  file(STRINGS "${SOURCE_DIR}/${source}" includes REGEX "^#include \"")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^#include \"([^/\"]*)/.*" "\\1" target "${line}")
    if(NOT target STREQUAL folder AND NOT target IN_LIST allowed_${folder})
      string(APPEND wrong "\n  ${source}: ${line}")
    endif()
  endforeach()
endforeach()
if(wrong)
  message(FATAL_ERROR "Includes against the order of folders:${wrong}")
endif()
list(LENGTH sources count)
message(STATUS "The includes of ${count} files under src/ run down the order of folders.")
