# Sanitizer builds: RUBSO_ASAN builds every target with AddressSanitizer and
# UndefinedBehaviorSanitizer (scripts/sanitize.sh); RUBSO_FUZZ adds
# libFuzzer's coverage instrumentation and builds the fuzz targets of fuzz/
# (scripts/fuzz.sh). Undefined behaviour stops the program as a memory fault
# does, so a test that meets it fails.

# Set when the sanitizer runtime lives in the program and not in the shared
# libraries: clang links it into executables only, and a library built with
# it keeps references that the program loading it resolves.
set(RUBSO_SANITIZER_RUNTIME_IN_PROGRAM OFF)

if(RUBSO_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "RUBSO_FUZZ needs clang (libFuzzer): configure with CXX=clang++ CC=clang")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

if(RUBSO_ASAN OR RUBSO_FUZZ)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
    -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
  if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    set(RUBSO_SANITIZER_RUNTIME_IN_PROGRAM ON)
  else()
    # gcc's flow analysis sees through the sanitizers' instrumentation
    # badly and takes a pointer-to-member captured by a lambda for an
    # uninitialised value; the ordinary build keeps the warning.
    add_compile_options(-Wno-maybe-uninitialized)
  endif()
endif()
