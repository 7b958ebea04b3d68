# Warnings every target of ours builds with; -Werror only where asked, so a newer compiler's
# new warning does not break a user's build.
option(TILEFALL_WERROR "Treat warnings as errors" OFF)
set(TILEFALL_WARNINGS -Wall -Wextra)
if(TILEFALL_WERROR)
  list(APPEND TILEFALL_WARNINGS -Werror)
endif()

function(tilefall_target_defaults target)
  target_compile_options(${target} PRIVATE ${TILEFALL_WARNINGS})
endfunction()
