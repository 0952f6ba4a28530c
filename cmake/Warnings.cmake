# Warnings for every target of the project (not for third-party code).
add_library(rubso_warnings INTERFACE)
target_compile_options(rubso_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wold-style-cast -Wnon-virtual-dtor)
if(RUBSO_WERROR)
  target_compile_options(rubso_warnings INTERFACE -Werror)
endif()
