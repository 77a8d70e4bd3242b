# The text-file fuzz target: every build replays the committed corpus as a
# test; a clang build with PEMU_FUZZ also makes the libFuzzer binary
# (text_files_fuzzer) for fuzzing by hand.
pemu_add_fuzz_target(NAME text_files TEST app_text_files_corpus SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/text_files_fuzzer.cpp
  ${PROJECT_SOURCE_DIR}/app/startup/command_file.cpp
  ${PROJECT_SOURCE_DIR}/platform/ini/ini_document.cpp)
