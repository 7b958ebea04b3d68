# Compiles through ccache when it is installed and no launcher was chosen. The cache keys on
# paths relative to the source tree, so a clone in another folder (CI's, a worktree) reuses what
# an earlier build compiled.
find_program(TILEFALL_CCACHE ccache)
if(TILEFALL_CCACHE)
  foreach(lang C CXX)
    if(NOT CMAKE_${lang}_COMPILER_LAUNCHER)
      set(CMAKE_${lang}_COMPILER_LAUNCHER
          ${CMAKE_COMMAND} -E env CCACHE_BASEDIR=${CMAKE_SOURCE_DIR} CCACHE_NOHASHDIR=1 ${TILEFALL_CCACHE})
    endif()
  endforeach()
endif()
