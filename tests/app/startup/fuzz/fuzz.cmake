# The text-file fuzz target: every build replays the committed corpus as a
# test; a clang build with PEMU_FUZZ also makes the libFuzzer binary
# (text_files_fuzzer) for fuzzing by hand.
set(TEXT_FUZZ_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/text_files_fuzzer.cpp
  ${PROJECT_SOURCE_DIR}/app/startup/command_file.cpp
  ${PROJECT_SOURCE_DIR}/platform/ini/ini_document.cpp)
file(GLOB TEXT_FUZZ_CORPUS CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/corpus/*)

add_executable(text_files_replay ${TEXT_FUZZ_SOURCES}
  ${PROJECT_SOURCE_DIR}/tests/usbshare/fuzz/replay_main.cpp)
target_include_directories(text_files_replay PRIVATE ${PROJECT_SOURCE_DIR})
add_test(NAME app_text_files_corpus COMMAND text_files_replay ${TEXT_FUZZ_CORPUS})

if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang" AND PEMU_FUZZ)
  add_executable(text_files_fuzzer ${TEXT_FUZZ_SOURCES})
  target_include_directories(text_files_fuzzer PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_options(text_files_fuzzer PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(text_files_fuzzer PRIVATE -fsanitize=fuzzer,address,undefined)
endif()
