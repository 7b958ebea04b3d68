# Installs BUILD_DIR into a fresh prefix under the system's temporary folder (outside the source
# tree, whose Assets folder the program would otherwise find by walking up from its own folder),
# checks the layout, and plays a few frames with the installed tilefall-capture from a working
# directory where "../../../Assets" does not exist. The program must find libplix.so through its
# RUNPATH in the prefix (not in the build tree) and the shader files in the prefix's data folder.
cmake_minimum_required(VERSION 3.25)

function(fail message)
  file(REMOVE_RECURSE "${PREFIX}")
  message(FATAL_ERROR "${message}")
endfunction()

if(DEFINED ENV{TMPDIR} AND IS_DIRECTORY "$ENV{TMPDIR}")
  set(temp "$ENV{TMPDIR}")
else()
  set(temp "/tmp")
endif()
string(RANDOM LENGTH 10 suffix)
set(PREFIX "${temp}/tilefall-install-${suffix}")
set(CWD "${WORK_DIR}/run/a/b/c/d")
file(REMOVE_RECURSE "${PREFIX}" "${WORK_DIR}/run")
file(MAKE_DIRECTORY "${CWD}")

execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT status EQUAL 0)
  fail("cmake --install failed (${status}):\n${out}")
endif()

foreach(file bin/tilefall bin/tilefall-capture lib/libplix.so share/tilefall/Assets/BufferA.sksl
             share/tilefall/Assets/Image.sksl)
  if(NOT EXISTS "${PREFIX}/${file}")
    fail("The install lacks ${file}:\n${out}")
  endif()
endforeach()

# Both programs look for the library beside them, in ../lib.
find_program(READELF readelf REQUIRED)
foreach(program tilefall tilefall-capture)
  execute_process(COMMAND ${READELF} -d "${PREFIX}/bin/${program}" OUTPUT_VARIABLE dynamic)
  if(NOT dynamic MATCHES "RUNPATH\\)[^\n]*\\[\\$ORIGIN/\\.\\./lib\\]")
    fail("${program} has no RUNPATH of $ORIGIN/../lib:\n${dynamic}")
  endif()
endforeach()

# The loader reports every library it initialises: the engine must come from the prefix.
set(ENV{LD_LIBRARY_PATH} "")
set(ENV{LD_DEBUG} "libs")
execute_process(COMMAND "${PREFIX}/bin/tilefall-capture" --frames 3 --every 3 --out "${CWD}/frames"
                WORKING_DIRECTORY "${CWD}" RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
unset(ENV{LD_DEBUG})
if(NOT status EQUAL 0)
  string(REGEX REPLACE "[^\n]*[0-9]+:[^\n]*\n" "" messages "${err}")  # the loader's lines
  fail("The installed tilefall-capture failed (${status}):\n${messages}")
endif()
if(NOT err MATCHES "calling init: ${PREFIX}/(bin/\\.\\./)?lib/libplix\\.so")
  fail("The installed program did not load ${PREFIX}/lib/libplix.so")
endif()
if(NOT EXISTS "${CWD}/frames/frame_000002.png")
  file(GLOB saved "${CWD}/frames/*")
  fail("No last frame saved; found: ${saved}")
endif()

file(REMOVE_RECURSE "${PREFIX}" "${WORK_DIR}/run")
