cmake_minimum_required(VERSION 3.25)
# Run by CTest as `cmake -DSOURCE_DIR=... -DCLANG_FORMAT=... -P format.cmake`: every C++ file of the project is
# laid out as the project's .clang-format says, so that a change never mixes layout with substance.
file(GLOB_RECURSE files
  ${SOURCE_DIR}/vdacheck/*.h ${SOURCE_DIR}/vdacheck/*.cpp
  ${SOURCE_DIR}/tool/*.h ${SOURCE_DIR}/tool/*.cpp
  ${SOURCE_DIR}/python/*.h ${SOURCE_DIR}/python/*.cpp
  ${SOURCE_DIR}/tests/*.h ${SOURCE_DIR}/tests/*.cpp
  ${SOURCE_DIR}/examples/*.h ${SOURCE_DIR}/examples/*.cpp
  ${SOURCE_DIR}/bench/*.h ${SOURCE_DIR}/bench/*.cpp
  ${SOURCE_DIR}/fuzz/*.h ${SOURCE_DIR}/fuzz/*.cpp)
list(FILTER files EXCLUDE REGEX "/(build|node_modules|third_party)/")
execute_process(COMMAND ${CLANG_FORMAT} --dry-run --Werror ${files}
  RESULT_VARIABLE status ERROR_VARIABLE complaints)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "files not laid out as .clang-format says (run ${CLANG_FORMAT} -i on them):\n${complaints}")
endif()
