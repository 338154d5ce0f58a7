# Compares the export table of a Windows DLL with the export list: the first listed name
# must sit at ordinal 2, each following name at the next ordinal, and nothing else.
# Usage: cmake -DOBJDUMP=path -DLIBRARY=path -DEXPORTS_FILE=path -P check_ordinals.cmake
execute_process(COMMAND ${OBJDUMP} -p ${LIBRARY} OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${LIBRARY}")
endif()

# The name table lists "[index] name"; a name's ordinal is the ordinal base plus its index.
if(NOT listing MATCHES "Ordinal Base[ \t]+([0-9]+)")
  message(FATAL_ERROR "${LIBRARY} has no export table")
endif()
set(base ${CMAKE_MATCH_1})
set(actual "")
string(REPLACE "\n" ";" listing_lines "${listing}")
foreach(line IN LISTS listing_lines)
  if(line MATCHES "^[ \t]*\\[ *([0-9]+)\\] ([A-Za-z_][A-Za-z0-9_@]*)$")
    math(EXPR ordinal "${base} + ${CMAKE_MATCH_1}")
    list(APPEND actual "${CMAKE_MATCH_2}@${ordinal}")
  endif()
endforeach()

file(STRINGS ${EXPORTS_FILE} wanted_lines)
set(wanted "")
set(ordinal 2)
foreach(line IN LISTS wanted_lines)
  string(STRIP "${line}" line)
  if(line AND NOT line MATCHES "^#")
    list(APPEND wanted "${line}@${ordinal}")
    math(EXPR ordinal "${ordinal} + 1")
  endif()
endforeach()

list(SORT actual)
list(SORT wanted)
if(NOT actual STREQUAL wanted)
  message(FATAL_ERROR "exports (name@ordinal) differ from the export list\n  got:  ${actual}\n  want: ${wanted}")
endif()
message(STATUS "ordinals match: ${actual}")
