cmake_minimum_required(VERSION 3.25)
# Checks the layer rules: the probes (see CMakeLists.txt) compile or fail as
# their layer allows, and no source above the data layer touches SQLite.

set(_failures "")

foreach(_probe ${ALLOWED})
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target layer_probe_${_probe}
                  RESULT_VARIABLE _rc OUTPUT_VARIABLE _out ERROR_VARIABLE _out)
  if(NOT _rc EQUAL 0)
    list(APPEND _failures "${_probe} should compile:\n${_out}")
  endif()
endforeach()

foreach(_probe ${REFUSED})
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target layer_probe_${_probe}
                  RESULT_VARIABLE _rc OUTPUT_VARIABLE _out ERROR_VARIABLE _out)
  if(_rc EQUAL 0)
    list(APPEND _failures "${_probe} compiled, but its layer must not see that header")
  elseif(NOT _out MATCHES "No such file or directory")
    list(APPEND _failures "${_probe} failed for another reason than a header out of sight:\n${_out}")
  endif()
endforeach()

# A qualified Qt include (<QtWidgets/QWidget>) is found through QtCore's
# include root too, so the data layers are searched for them; SQLite must not
# appear above the data layer at all.
file(GLOB_RECURSE _data_sources ${SOURCE_DIR}/src/data/*.h ${SOURCE_DIR}/src/data/*.cpp)
foreach(_file ${_data_sources})
  file(STRINGS ${_file} _lines REGEX "#include <Qt(Widgets|Gui|PrintSupport)/")
  if(_lines)
    list(APPEND _failures "${_file} includes a window header: ${_lines}")
  endif()
endforeach()
file(GLOB _gui_folders LIST_DIRECTORIES true ${SOURCE_DIR}/src/*)
foreach(_folder ${_gui_folders})
  if(NOT IS_DIRECTORY ${_folder} OR _folder MATCHES "/data$")
    continue()
  endif()
  file(GLOB_RECURSE _sources ${_folder}/*.h ${_folder}/*.cpp)
  foreach(_file ${_sources})
    file(STRINGS ${_file} _lines REGEX "sqlite3|_p\\.h\"")
    foreach(_line ${_lines})
      if(_line MATCHES "sqlite3" OR _line MATCHES "engine/")
        list(APPEND _failures "${_file} reaches below the data layer: ${_line}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(_failures)
  list(JOIN _failures "\n" _text)
  message(FATAL_ERROR "Layer rules broken:\n${_text}")
endif()
message(STATUS "Layer rules hold: ${ALLOWED} compile; ${REFUSED} are refused")
