# `cmake --build build --target format` applies .clang-format to the sources.
find_program(CLANG_FORMAT_EXE NAMES clang-format clang-format-14)
if(CLANG_FORMAT_EXE)
  file(GLOB_RECURSE RUBSO_FORMAT_SOURCES CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/app/*.cpp ${CMAKE_SOURCE_DIR}/app/*.h
    ${CMAKE_SOURCE_DIR}/core/*.cpp ${CMAKE_SOURCE_DIR}/core/*.h
    ${CMAKE_SOURCE_DIR}/dayend/*.cpp ${CMAKE_SOURCE_DIR}/dayend/*.h
    ${CMAKE_SOURCE_DIR}/db/*.cpp ${CMAKE_SOURCE_DIR}/db/*.h
    ${CMAKE_SOURCE_DIR}/register/*.cpp ${CMAKE_SOURCE_DIR}/register/*.h
    ${CMAKE_SOURCE_DIR}/trading/*.cpp ${CMAKE_SOURCE_DIR}/trading/*.h
    ${CMAKE_SOURCE_DIR}/tests/*.cpp ${CMAKE_SOURCE_DIR}/tests/*.h
    ${CMAKE_SOURCE_DIR}/bench/*.cpp)
  add_custom_target(format
    COMMAND ${CLANG_FORMAT_EXE} -i ${RUBSO_FORMAT_SOURCES}
    COMMENT "Formatting sources with clang-format")
endif()
