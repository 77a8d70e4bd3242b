# The fuzz target of what a receiver sends (command stream, import reply,
# USB/IP traffic). Every build replays the committed corpus as a test; a
# clang build (scripts/fuzz) also links it with libFuzzer and fuzzes for a
# bounded time.
pemu_add_fuzz_target(NAME porvane_wire TEST usbshare_porvane_wire_corpus LIBS pemu_platform SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/porvane_wire_fuzzer.cpp
  ${PROJECT_SOURCE_DIR}/usbshare/UsbDeviceRecord.cpp
  ${PROJECT_SOURCE_DIR}/usbshare/UsbIpHeader.cpp
  ${PROJECT_SOURCE_DIR}/usbshare/UsbIpImport.cpp
  ${PROJECT_SOURCE_DIR}/usbshare/UsbIpMessageRules.cpp
  ${PROJECT_SOURCE_DIR}/usbshare/UsbIpRequestTracker.cpp
  ${PROJECT_SOURCE_DIR}/usbshare/UsbReportFilter.cpp
  ${PROJECT_SOURCE_DIR}/usbshare/VbusControl.cpp
  ${PROJECT_SOURCE_DIR}/usbshare/ZampFraming.cpp
  ${PROJECT_SOURCE_DIR}/usbshare/ZampFrameReader.cpp
  ${PROJECT_SOURCE_DIR}/usbshare/ZampHeader.cpp
  ${PROJECT_SOURCE_DIR}/usbshare/ZampLog.cpp
  ${PROJECT_SOURCE_DIR}/usbshare/ZampMessageParser.cpp)

set(PEMU_FUZZ_SECONDS 60 CACHE STRING "How long the fuzz test fuzzes (libFuzzer builds)")
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang" AND PEMU_FUZZ)
  # Fuzzes from a scratch copy of the corpus, so the committed one stays as it is.
  add_test(NAME usbshare_porvane_wire_fuzz
    COMMAND ${CMAKE_COMMAND} -E env
      sh -c "rm -rf work && mkdir work && cp ${CMAKE_CURRENT_LIST_DIR}/corpus/* work/ && $<TARGET_FILE:porvane_wire_fuzzer> -max_total_time=${PEMU_FUZZ_SECONDS} -max_len=4096 -timeout=10 work"
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  set_tests_properties(usbshare_porvane_wire_fuzz PROPERTIES LABELS fuzz TIMEOUT 600)
endif()
