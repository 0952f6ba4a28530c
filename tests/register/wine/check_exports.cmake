# cmake -DOBJDUMP=... -DLIBRARY=WinIP.dll -DBRIDGE=winip-bridge.exe -P check_exports.cmake
# The library exports exactly the ten functions under their own names; both
# files import only Windows' own libraries (nothing else to ship with them).
cmake_minimum_required(VERSION 3.25)
set(ten __KSprOp __KTowMax __KTowar __ModStart __ModStop __OSprzed __OTSpMax __TowarMax
  __ZCTowar __ZTowar)
foreach(file IN ITEMS ${LIBRARY} ${BRIDGE})
  execute_process(COMMAND ${OBJDUMP} -p ${file} OUTPUT_VARIABLE table COMMAND_ERROR_IS_FATAL ANY)
  # The names: the lines after "[Ordinal/Name Pointer] Table" up to a blank one.
  string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table(\n\t[^\n]+)*" names "${table}")
  string(REGEX MATCHALL "\n\t\\[ *[0-9]+\\] [^\n]+" names "${names}")
  list(TRANSFORM names REPLACE "\n\t\\[ *[0-9]+\\] " "")
  list(SORT names)
  set(expected "")
  if(file STREQUAL "${LIBRARY}")
    set(expected ${ten})
  endif()
  string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${table}")
  list(TRANSFORM imports REPLACE "DLL Name: " "")
  list(TRANSFORM imports TOUPPER)
  list(REMOVE_ITEM imports KERNEL32.DLL MSVCRT.DLL)
  if(NOT "${names}" STREQUAL "${expected}" OR imports)
    message(SEND_ERROR "${file}: exports [${names}], expected [${expected}]; imports ${imports}")
  endif()
endforeach()
