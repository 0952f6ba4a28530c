# The export and import tables of the Windows files, read with objdump -p:
#   cmake -DOBJDUMP=... -DLIBRARY=WinIP.dll -DBRIDGE=winip-bridge.exe -P check_exports.cmake
# The library exports exactly the ten functions under their own names; both
# import nothing but Windows' own libraries, so nothing else need ship
# beside them.
cmake_minimum_required(VERSION 3.25)
set(ten __KSprOp __KTowMax __KTowar __ModStart __ModStop __OSprzed __OTSpMax __TowarMax
  __ZCTowar __ZTowar)
set(failed FALSE)
foreach(file LIBRARY BRIDGE)
  execute_process(COMMAND ${OBJDUMP} -p ${${file}} OUTPUT_VARIABLE table RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(SEND_ERROR "objdump -p ${${file}} failed")
    continue()
  endif()
  # The names: the lines after "[Ordinal/Name Pointer] Table" up to a blank one.
  string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table(\n\t[^\n]+)*" names "${table}")
  string(REGEX MATCHALL "\n\t\\[ *[0-9]+\\] [^\n]+" entries "${names}")
  list(TRANSFORM entries REPLACE "\n\t\\[ *[0-9]+\\] " "")
  list(SORT entries)
  set(expected "")
  if(file STREQUAL "LIBRARY")
    set(expected ${ten})
  endif()
  if(NOT "${entries}" STREQUAL "${expected}")
    message(SEND_ERROR "${${file}} exports [${entries}], expected [${expected}]")
  endif()
  string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${table}")
  list(TRANSFORM imports REPLACE "DLL Name: " "")
  list(TRANSFORM imports TOUPPER)
  list(REMOVE_ITEM imports KERNEL32.DLL MSVCRT.DLL USER32.DLL ADVAPI32.DLL)
  if(imports)
    message(SEND_ERROR "${${file}} needs libraries that do not come with Windows: ${imports}")
  endif()
endforeach()
