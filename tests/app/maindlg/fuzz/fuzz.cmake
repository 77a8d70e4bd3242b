# The NCC reply fuzz target: every build replays the committed corpus as a
# test; a clang build with PEMU_FUZZ also makes the libFuzzer binary
# (ncc_reply_fuzzer) for fuzzing by hand.
pemu_add_fuzz_target(NAME ncc_reply TEST app_ncc_reply_corpus SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ncc_reply_fuzzer.cpp
  ${PROJECT_SOURCE_DIR}/app/maindlg/ncc_control.cpp)
