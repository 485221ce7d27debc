# Installs the build into a fresh prefix, then builds and runs examples/host against it as a
# host application would: find_package(kadu2217) and kadu2217::kadu2217 alone. Also checks
# that the library exports nothing beyond its public classes.
#
# cmake -DBUILD_DIR=<build> -DSOURCE_DIR=<repo> -DWORK_DIR=<scratch> -DGENERATOR=<generator>
#       -DCXX=<compiler> -DNM=<nm> -P installcheck.cmake
cmake_minimum_required(VERSION 3.24)

include(${CMAKE_CURRENT_LIST_DIR}/runcommand.cmake)

file(REMOVE_RECURSE "${WORK_DIR}")
set(prefix "${WORK_DIR}/prefix")
run(${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${prefix}")

file(GLOB_RECURSE installed RELATIVE "${prefix}" LIST_DIRECTORIES false "${prefix}/*")
foreach(expected bin/localpurchcost include/kadu2217/clslocalpurchcost.h include/kadu2217/connection.h
                 include/kadu2217/error.h include/kadu2217/export.h)
  if(NOT expected IN_LIST installed)
    message(FATAL_ERROR "the installation lacks ${expected}:\n${installed}")
  endif()
endforeach()
foreach(pattern "/libkadu2217\\.so$" "/libkadu2217\\.so\\.[0-9.]+$" "/cmake/kadu2217/kadu2217Config\\.cmake$"
                "/cmake/kadu2217/kadu2217ConfigVersion\\.cmake$" "/cmake/kadu2217/kadu2217Targets\\.cmake$")
  set(found ${installed})
  list(FILTER found INCLUDE REGEX "${pattern}")
  if(NOT found)
    message(FATAL_ERROR "the installation has no file matching ${pattern}")
  endif()
endforeach()
file(GLOB reports RELATIVE "${SOURCE_DIR}/reports" "${SOURCE_DIR}/reports/*")
foreach(report IN LISTS reports)
  if(NOT EXISTS "${prefix}/share/kadu2217/reports/${report}")
    message(FATAL_ERROR "the installation lacks the report definition ${report}")
  endif()
endforeach()

# Every exported name of the module's own belongs to a public class or function.
file(GLOB library "${prefix}/lib*/libkadu2217.so" "${prefix}/lib*/*/libkadu2217.so")
run(${NM} -DC --defined-only "${library}")
string(REPLACE "\n" ";" symbols "${output}")
foreach(line IN LISTS symbols)
  string(REGEX REPLACE "^[0-9a-f]* *[A-Za-z] " "" name "${line}")
  string(REGEX REPLACE "^(typeinfo name for|typeinfo for|vtable for|non-virtual thunk to|VTT for) " "" name "${name}")
  if(name MATCHES "^kadu2217::" AND NOT name MATCHES "^kadu2217::(Connection|Error|clsLocalPurchCost)(::|$)"
     AND NOT name MATCHES "^kadu2217::raise\\(")
    list(APPEND leaked "${name}")
  endif()
endforeach()
if(leaked)
  list(JOIN leaked "\n  " leaked)
  message(FATAL_ERROR "libkadu2217.so exports names that are not public:\n  ${leaked}")
endif()

run(${CMAKE_COMMAND} -S "${SOURCE_DIR}/examples/host" -B "${WORK_DIR}/host" -G "${GENERATOR}"
    -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_PREFIX_PATH=${prefix})
run(${CMAKE_COMMAND} --build "${WORK_DIR}/host")
# The installed program makes the host's database; the host opens it through the library.
run("${prefix}/bin/localpurchcost" init "${WORK_DIR}/host.db")
run("${WORK_DIR}/host/kadu2217host" "${WORK_DIR}/host.db")
if(NOT output MATCHES "clsLocalPurchCost ready")
  message(FATAL_ERROR "the example host said:\n${output}")
endif()
message(STATUS "${output}")
