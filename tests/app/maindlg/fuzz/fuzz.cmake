# The NCC reply fuzz target: every build replays the committed corpus as a
# test; a clang build with PEMU_FUZZ also makes the libFuzzer binary
# (ncc_reply_fuzzer) for fuzzing by hand.
set(NCC_FUZZ_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ncc_reply_fuzzer.cpp
  ${PROJECT_SOURCE_DIR}/app/maindlg/ncc_control.cpp)
file(GLOB NCC_FUZZ_CORPUS CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/corpus/*)

add_executable(ncc_reply_replay ${NCC_FUZZ_SOURCES}
  ${PROJECT_SOURCE_DIR}/tests/usbshare/fuzz/replay_main.cpp)
target_include_directories(ncc_reply_replay PRIVATE ${PROJECT_SOURCE_DIR})
add_test(NAME app_ncc_reply_corpus COMMAND ncc_reply_replay ${NCC_FUZZ_CORPUS})

if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang" AND PEMU_FUZZ)
  add_executable(ncc_reply_fuzzer ${NCC_FUZZ_SOURCES})
  target_include_directories(ncc_reply_fuzzer PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_options(ncc_reply_fuzzer PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(ncc_reply_fuzzer PRIVATE -fsanitize=fuzzer,address,undefined)
endif()
