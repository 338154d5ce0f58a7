# Compares the functions a built library exports with the export list.
# Usage: cmake -DLIBRARY=path -DEXPORTS_FILE=path -P check_exports.cmake
find_program(NM nm REQUIRED)
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
  OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()

set(actual "")
string(REPLACE "\n" ";" listing_lines "${listing}")
foreach(line IN LISTS listing_lines)
  # "address type name": functions are T (text); the version node itself is A.
  if(line MATCHES "^[0-9a-fA-F]+ [TtWw] ([^@ ]+)")
    list(APPEND actual ${CMAKE_MATCH_1})
  elseif(line MATCHES "^[0-9a-fA-F]+ [^A] ([^@ ]+)")
    list(APPEND actual ${CMAKE_MATCH_1})
  endif()
endforeach()

file(STRINGS ${EXPORTS_FILE} wanted_lines)
set(wanted "")
foreach(line IN LISTS wanted_lines)
  string(STRIP "${line}" line)
  if(line AND NOT line MATCHES "^#")
    list(APPEND wanted ${line})
  endif()
endforeach()

list(SORT actual)
list(SORT wanted)
if(NOT actual STREQUAL wanted)
  message(FATAL_ERROR "exported names differ from the export list\n  got:  ${actual}\n  want: ${wanted}")
endif()
message(STATUS "exports match: ${actual}")
