if(TILEFALL_SANITIZE)
  # -O1 keeps the reports exact while the engine's pixel loops run several times faster than at
  # -O0, which the played-through game tests need. GCC's object-size warnings misfire on the
  # instrumented code at -O1 (bounds it cannot see through the checks), so they are off here;
  # the release build keeps them.
  add_compile_options(-O1 -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined
                      -Wno-stringop-overflow -Wno-array-bounds -Wno-stringop-overread)
  add_link_options(-fsanitize=address,undefined)
endif()
