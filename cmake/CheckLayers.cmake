# SPDX-License-Identifier: GPL-3.0-or-later
# Run as a test: the core stays standard C++, the windows reach dialogs, the
# serial port and other programs only through the platform layer, and every C++
# source names its licence.
file(GLOB_RECURSE core_files ${SOURCE_DIR}/src/core/*.h ${SOURCE_DIR}/src/core/*.cpp)
file(GLOB_RECURSE window_files
     ${SOURCE_DIR}/src/app/*.h ${SOURCE_DIR}/src/app/*.cpp
     ${SOURCE_DIR}/src/settings/*.h ${SOURCE_DIR}/src/settings/*.cpp
     ${SOURCE_DIR}/src/download/*.h ${SOURCE_DIR}/src/download/*.cpp
     ${SOURCE_DIR}/src/convert/*.h ${SOURCE_DIR}/src/convert/*.cpp
     ${SOURCE_DIR}/src/points/*.h ${SOURCE_DIR}/src/points/*.cpp
     ${SOURCE_DIR}/src/plan/*.h ${SOURCE_DIR}/src/plan/*.cpp)
set(problems "")
foreach(f ${core_files})
  file(STRINGS ${f} hits REGEX "#include [<\"](Q|qt)")
  if(hits)
    string(APPEND problems "${f}: the core includes the toolkit: ${hits}\n")
  endif()
endforeach()
foreach(f ${window_files})
  file(STRINGS ${f} hits REGEX "#include <(QMessageBox|QFileDialog|QSerialPort|QSerialPortInfo|QProcess)>")
  if(hits)
    string(APPEND problems "${f}: use the platform layer instead of ${hits}\n")
  endif()
  file(STRINGS ${f} hits REGEX "[.>]exec\\(\\)")
  if(hits)
    string(APPEND problems "${f}: no modal exec() outside the platform layer: ${hits}\n")
  endif()
endforeach()
# Every C++ source states its licence on its first line.
file(GLOB_RECURSE sources ${SOURCE_DIR}/src/*.cpp ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/tools/*.cpp
     ${SOURCE_DIR}/tests/*.cpp ${SOURCE_DIR}/tests/*.h ${SOURCE_DIR}/bench/*.cpp
     ${SOURCE_DIR}/fuzz/*.cpp)
foreach(f ${sources})
  file(STRINGS ${f} first LIMIT_COUNT 1)
  if(NOT first STREQUAL "// SPDX-License-Identifier: GPL-3.0-or-later")
    string(APPEND problems "${f}: the first line is not the licence's SPDX line\n")
  endif()
endforeach()
if(problems)
  message(FATAL_ERROR "${problems}")
endif()
