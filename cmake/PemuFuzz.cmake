# pemu_add_fuzz_target(NAME name TEST test SOURCES ... [LIBS ...])
# A fuzz target whose committed corpus (corpus/ beside the calling file) every
# build replays as the test `test`, through <name>_replay; a clang build with
# PEMU_FUZZ also links <name>_fuzzer with libFuzzer.
function(pemu_add_fuzz_target)
  cmake_parse_arguments(F "" "NAME;TEST" "SOURCES;LIBS" ${ARGN})
  file(GLOB corpus CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/corpus/*)
  add_executable(${F_NAME}_replay ${F_SOURCES}
    ${PROJECT_SOURCE_DIR}/tests/usbshare/fuzz/replay_main.cpp)
  target_include_directories(${F_NAME}_replay PRIVATE ${PROJECT_SOURCE_DIR})
  if(F_LIBS)
    target_link_libraries(${F_NAME}_replay PRIVATE ${F_LIBS})
  endif()
  add_test(NAME ${F_TEST} COMMAND ${F_NAME}_replay ${corpus})
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang" AND PEMU_FUZZ)
    add_executable(${F_NAME}_fuzzer ${F_SOURCES})
    target_include_directories(${F_NAME}_fuzzer PRIVATE ${PROJECT_SOURCE_DIR})
    if(F_LIBS)
      target_link_libraries(${F_NAME}_fuzzer PRIVATE ${F_LIBS})
    endif()
    target_compile_options(${F_NAME}_fuzzer PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${F_NAME}_fuzzer PRIVATE -fsanitize=fuzzer,address,undefined)
  endif()
endfunction()
