# Fails when the shared library exports more than its public API.
#   cmake -DNM=<nm> -DLIBRARY=<libzelvora.so> -DHEADERS=<include/zelvora> -P CheckExports.cmake
# The public names are what the headers mark ZELVORA_EXPORT. Every name of the SDK that an exported
# symbol mentions must be one of them: a function, its class, or a type that a standard-library
# instantiation is made for. A symbol outside every namespace (a C function, a global) fails too.

cmake_minimum_required(VERSION 3.25)

file(GLOB_RECURSE headers "${HEADERS}/*.hpp")
set(public "")
foreach(header IN LISTS headers)
  file(READ "${header}" text)
  string(REGEX REPLACE "#define[^\n]*" "" text "${text}")
  string(REGEX MATCHALL "class ZELVORA_EXPORT [A-Za-z_0-9]+" classes "${text}")
  string(REGEX MATCHALL "ZELVORA_EXPORT [^;{}()]+\\(" functions "${text}")
  foreach(declaration IN LISTS classes functions)
    string(REGEX REPLACE "^.*[ *&]([A-Za-z_0-9]+)\\(?$" "\\1" name "${declaration}")
    list(APPEND public "${name}")
  endforeach()
endforeach()
if(NOT public)
  message(FATAL_ERROR "no ZELVORA_EXPORT declarations under ${HEADERS}")
endif()

execute_process(COMMAND "${NM}" -DC --defined-only "${LIBRARY}"
  OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${LIBRARY}")
endif()
string(REPLACE ";" "\\;" symbols "${symbols}")
string(REPLACE "\n" ";" symbols "${symbols}")

set(leaks "")
foreach(line IN LISTS symbols)
  # "<address> <type> <name>"
  string(REGEX REPLACE "^[0-9a-f]* *[A-Za-z] " "" symbol "${line}")
  if(symbol STREQUAL "")
    continue()
  endif()
  if(NOT symbol MATCHES "::")
    list(APPEND leaks "${symbol}")
    continue()
  endif()
  string(REGEX MATCHALL "zelvora::[A-Za-z_0-9]+" mentions "${symbol}")
  foreach(mention IN LISTS mentions)
    string(REPLACE "zelvora::" "" name "${mention}")
    if(NOT name IN_LIST public)
      list(APPEND leaks "${symbol}")
      break()
    endif()
  endforeach()
endforeach()

list(LENGTH leaks count)
if(count GREATER 0)
  list(JOIN leaks "\n  " text)
  message(FATAL_ERROR "${LIBRARY} exports ${count} symbols outside the public API:\n  ${text}")
endif()
list(LENGTH public publicCount)
message(STATUS "${LIBRARY} exports only the ${publicCount} public names of ${HEADERS}")
