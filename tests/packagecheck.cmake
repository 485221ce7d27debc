# Builds the Debian package with CPack, checks what it holds and what it depends on, then
# unpacks it and runs the packaged program on a fresh user data folder: with no --db it
# creates the demo database there.
#
# cmake -DBUILD_DIR=<build> -DSOURCE_DIR=<repo> -DWORK_DIR=<scratch> -DCPACK=<cpack> -P packagecheck.cmake
cmake_minimum_required(VERSION 3.24)

include(${CMAKE_CURRENT_LIST_DIR}/runcommand.cmake)

file(REMOVE_RECURSE "${WORK_DIR}")
run(${CPACK} -G DEB --config "${BUILD_DIR}/CPackConfig.cmake" -B "${WORK_DIR}")
file(GLOB package "${WORK_DIR}/*.deb")
list(LENGTH package count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "cpack made ${count} packages: ${package}")
endif()

run(dpkg-deb -c "${package}")
set(contents "${output}")
string(REPLACE "\n" ";" lines "${contents}")
function(expect what pattern)
  foreach(line IN LISTS lines)
    if(line MATCHES "${pattern}")
      return()
    endif()
  endforeach()
  message(FATAL_ERROR "the package lacks ${what} (${pattern}):\n${contents}")
endfunction()
expect("the program" " \\./usr/bin/localpurchcost$")
expect("the library" " \\./usr/lib/([^/]+/)?libkadu2217\\.so\\.[0-9]+\\.[0-9]+\\.[0-9]+$")
expect("the library's soname link" " \\./usr/lib/([^/]+/)?libkadu2217\\.so\\.[0-9.]+ -> libkadu2217\\.so\\.[0-9.]+$")
expect("the desktop entry" " \\./usr/share/applications/localpurchcost\\.desktop$")
expect("the icon" " \\./usr/share/icons/hicolor/scalable/apps/localpurchcost\\.svg$")
expect("the CMake package configuration" "/cmake/kadu2217/kadu2217Config\\.cmake$")
file(GLOB reports RELATIVE "${SOURCE_DIR}/reports" "${SOURCE_DIR}/reports/*")
foreach(report IN LISTS reports)
  string(REPLACE "." "\\." pattern "${report}")
  expect("the report definition ${report}" " \\./usr/share/kadu2217/reports/${pattern}$")
endforeach()

run(dpkg-deb -f "${package}" Depends)
foreach(dependency libqt6widgets6 libqt6sql6-sqlite libqt6sql6-odbc libqt6printsupport6 libsqlite3-0)
  if(NOT output MATCHES "(^|[ ,])${dependency}([ ,(]|$)")
    message(FATAL_ERROR "the package does not depend on ${dependency}: ${output}")
  endif()
endforeach()

# The unpacked program, run as a new user would: the demo database appears in the data folder.
set(root "${WORK_DIR}/root")
run(dpkg-deb -x "${package}" "${root}")
set(data "${WORK_DIR}/data")
run(${CMAKE_COMMAND} -E env HOME=${WORK_DIR}/home XDG_DATA_HOME=${data} QT_QPA_PLATFORM=offscreen
    "${root}/usr/bin/localpurchcost" sql "select count(*) from loaLocalPurchaseCostingHeader")
string(STRIP "${output}" costings)
if(NOT costings MATCHES "^[1-9][0-9]*$" OR NOT EXISTS "${data}/kadu2217/localpurchcost/demo.db")
  message(FATAL_ERROR "the packaged program made no demo database in ${data}: '${output}'")
endif()
message(STATUS "${package}: ${costings} demo costings in ${data}/kadu2217/localpurchcost/demo.db")
