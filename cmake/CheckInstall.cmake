# Installs the build into a scratch prefix, then builds and runs an app against it.
#   cmake -DBUILD=<build dir> -DCONSUMER=<the app's sources> -DWORK=<scratch dir> -P CheckInstall.cmake
cmake_minimum_required(VERSION 3.25)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT status EQUAL 0)
    list(JOIN ARGN " " command)
    message(FATAL_ERROR "${command} failed:\n${output}")
  endif()
  message(STATUS "${output}")
endfunction()

file(REMOVE_RECURSE "${WORK}")
run("${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${WORK}/prefix")
run("${CMAKE_COMMAND}" -S "${CONSUMER}" -B "${WORK}/app" -DCMAKE_BUILD_TYPE=Release
    "-DCMAKE_PREFIX_PATH=${WORK}/prefix")
run("${CMAKE_COMMAND}" --build "${WORK}/app")
run("${WORK}/app/zelvora_consumer")
file(REMOVE_RECURSE "${WORK}")
