# Run by CTest as `cmake -P`: installs the vdacheck build in BUILD_DIR into a fresh prefix under
# WORK_DIR, configures, builds and runs the consumer project against it, then configures the consumer
# once more with vdacheck as a subdirectory of it.
foreach(var BUILD_DIR SOURCE_DIR WORK_DIR LIBDIR GENERATOR BUILD_TYPE CXX_COMPILER)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "run.cmake needs -D${var}=...")
  endif()
endforeach()

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    string(REPLACE ";" " " command "${ARGN}")
    message(FATAL_ERROR "failed (${status}): ${command}")
  endif()
endfunction()

if(BUILD_TYPE STREQUAL "")
  set(BUILD_TYPE Release)
endif()
set(prefix ${WORK_DIR}/prefix)
set(consumer ${SOURCE_DIR}/tests/consumer)
set(toolchain
  -G ${GENERATOR}
  -DCMAKE_BUILD_TYPE=${BUILD_TYPE}
  -DCMAKE_CXX_COMPILER=${CXX_COMPILER}
  "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}"
  "-DCMAKE_EXE_LINKER_FLAGS=${EXE_LINKER_FLAGS}"
  "-DCMAKE_SHARED_LINKER_FLAGS=${SHARED_LINKER_FLAGS}")

file(REMOVE_RECURSE ${WORK_DIR})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix} --config ${BUILD_TYPE})
run(${CMAKE_COMMAND} -S ${consumer} -B ${WORK_DIR}/installed ${toolchain}
    -Dvdacheck_DIR=${prefix}/${LIBDIR}/cmake/vdacheck -DCMAKE_FIND_PACKAGE_NO_PACKAGE_REGISTRY=ON)
run(${CMAKE_COMMAND} --build ${WORK_DIR}/installed)
run(${WORK_DIR}/installed/vdacheck_consumer)
# The installed tool finds what it converts with where the installation put it.
if(CONVERT)
  run(${prefix}/${BINDIR}/vdacheck convert ${SOURCE_DIR}/examples/bracket.vda --repair -o ${WORK_DIR}/bracket.glb)
endif()
run(${CMAKE_COMMAND} -S ${consumer} -B ${WORK_DIR}/subdirectory ${toolchain} -DVDACHECK_SOURCE_DIR=${SOURCE_DIR})
