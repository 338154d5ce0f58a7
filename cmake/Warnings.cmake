# One place for the warning set every target of ours uses.
add_library(kodra_warnings INTERFACE)
target_compile_options(kodra_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
  -Wcast-qual -Wformat=2 -Wundef -Wold-style-cast
  $<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor -Woverloaded-virtual>)
if(KODRA_WARNINGS_AS_ERRORS)
  target_compile_options(kodra_warnings INTERFACE -Werror)
endif()
