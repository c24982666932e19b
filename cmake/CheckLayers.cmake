# SPDX-License-Identifier: GPL-3.0-or-later
# Run as a test: the core stays standard C++; the windows reach dialogs, the
# serial port and other programs only through the platform layer; the download and
# Convert have no widget, and nothing but the main window's folder includes it; every
# C++ source and build file names its licence (a C++ formatter run over a build file
# breaks that first line, and the file with it).
file(GLOB_RECURSE core_files ${SOURCE_DIR}/src/core/*.h ${SOURCE_DIR}/src/core/*.cpp)
file(GLOB_RECURSE window_files
     ${SOURCE_DIR}/src/app/*.h ${SOURCE_DIR}/src/app/*.cpp
     ${SOURCE_DIR}/src/settings/*.h ${SOURCE_DIR}/src/settings/*.cpp
     ${SOURCE_DIR}/src/download/*.h ${SOURCE_DIR}/src/download/*.cpp
     ${SOURCE_DIR}/src/convert/*.h ${SOURCE_DIR}/src/convert/*.cpp
     ${SOURCE_DIR}/src/send/*.h ${SOURCE_DIR}/src/send/*.cpp
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
# The layers below the main window never reach up to it.
file(GLOB_RECURSE below_app
     ${SOURCE_DIR}/src/core/* ${SOURCE_DIR}/src/platform/* ${SOURCE_DIR}/src/plan/*
     ${SOURCE_DIR}/src/download/* ${SOURCE_DIR}/src/convert/* ${SOURCE_DIR}/src/send/*
     ${SOURCE_DIR}/src/settings/* ${SOURCE_DIR}/src/points/*)
foreach(f ${below_app})
  file(STRINGS ${f} hits REGEX "#include \"app/")
  if(hits)
    string(APPEND problems "${f}: includes the main window's folder: ${hits}\n")
  endif()
endforeach()
# The download and Convert report through signals and values: no widget of their own.
file(GLOB_RECURSE commands ${SOURCE_DIR}/src/download/* ${SOURCE_DIR}/src/convert/*
     ${SOURCE_DIR}/src/send/*)
foreach(f ${commands})
  file(STRINGS ${f} hits REGEX "#include <Q(Widget|Label|LineEdit|PushButton|ProgressBar|MainWindow|Dialog|StatusBar|MessageBox|FileDialog|Application)>")
  if(hits)
    string(APPEND problems "${f}: a widget in a command: ${hits}\n")
  endif()
endforeach()
file(GLOB_RECURSE build_files ${SOURCE_DIR}/CMakeLists.txt ${SOURCE_DIR}/src/CMakeLists.txt
     ${SOURCE_DIR}/*/CMakeLists.txt ${SOURCE_DIR}/src/*/CMakeLists.txt
     ${SOURCE_DIR}/tests/*/CMakeLists.txt ${SOURCE_DIR}/cmake/*.cmake)
foreach(f ${build_files})
  file(STRINGS ${f} first LIMIT_COUNT 1)
  if(NOT first STREQUAL "# SPDX-License-Identifier: GPL-3.0-or-later")
    string(APPEND problems "${f}: the first line is not the licence's SPDX line\n")
  endif()
endforeach()
if(problems)
  message(FATAL_ERROR "${problems}")
endif()
