# The frame-reassembly fuzz target. Every build replays the committed corpus
# as a test; a clang build (scripts/fuzz) also links it with libFuzzer and
# fuzzes for a bounded time.
set(ZAMP_FUZZ_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/zamp_frame_reader_fuzzer.cpp
  ${PROJECT_SOURCE_DIR}/usbshare/ZampFraming.cpp
  ${PROJECT_SOURCE_DIR}/usbshare/ZampFrameReader.cpp
  ${PROJECT_SOURCE_DIR}/usbshare/ZampHeader.cpp
  ${PROJECT_SOURCE_DIR}/usbshare/ZampMessageParser.cpp
  ${PROJECT_SOURCE_DIR}/usbshare/UsbDeviceRecord.cpp)
file(GLOB ZAMP_FUZZ_CORPUS CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/corpus/*)

add_executable(zamp_frame_reader_replay ${ZAMP_FUZZ_SOURCES} ${CMAKE_CURRENT_LIST_DIR}/replay_main.cpp)
target_include_directories(zamp_frame_reader_replay PRIVATE ${PROJECT_SOURCE_DIR})
add_test(NAME usbshare_zamp_frame_reader_corpus
  COMMAND zamp_frame_reader_replay ${ZAMP_FUZZ_CORPUS})

set(PEMU_FUZZ_SECONDS 60 CACHE STRING "How long the fuzz test fuzzes (libFuzzer builds)")
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang" AND PEMU_FUZZ)
  add_executable(zamp_frame_reader_fuzzer ${ZAMP_FUZZ_SOURCES})
  target_include_directories(zamp_frame_reader_fuzzer PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_options(zamp_frame_reader_fuzzer PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(zamp_frame_reader_fuzzer PRIVATE -fsanitize=fuzzer,address,undefined)
  # Fuzzes from a scratch copy of the corpus, so the committed one stays as it is.
  add_test(NAME usbshare_zamp_frame_reader_fuzz
    COMMAND ${CMAKE_COMMAND} -E env
      sh -c "rm -rf work && mkdir work && cp ${CMAKE_CURRENT_LIST_DIR}/corpus/* work/ && $<TARGET_FILE:zamp_frame_reader_fuzzer> -max_total_time=${PEMU_FUZZ_SECONDS} -max_len=4096 -timeout=10 work"
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  set_tests_properties(usbshare_zamp_frame_reader_fuzz PROPERTIES LABELS fuzz TIMEOUT 600)
endif()
