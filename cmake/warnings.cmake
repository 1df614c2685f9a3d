# Warnings for our own targets only (link it PRIVATE); third-party code keeps its own.
add_library(korvane_warnings INTERFACE)
target_compile_options(korvane_warnings INTERFACE
  -Wall -Wextra -Wpedantic   # the usual set
  -Wshadow                   # a local hiding a member or an outer name is a bug waiting to happen
  -Wconversion               # narrowing of sample values and sizes must be spelled out
  -Wnon-virtual-dtor         # our file and dialog classes are used through base pointers
  -Werror)
