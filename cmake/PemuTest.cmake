# Test registration. A folder adds a test with one line:
#
#   pemu_add_test(NAME name SOURCES ... LIBS ... [LABELS ...] [RESOURCE_LOCK name])
#
# `name` is an object library holding the test's sources, so a folder can still
# give it compile definitions, dependencies or a RUNTIME_OUTPUT_DIRECTORY after
# the call. pemu_link_tests(), called once at the end of the top-level
# CMakeLists, links the tests of each folder into one GoogleTest program (one
# link instead of one per test) and registers every test case with ctest on
# its own, so each case still runs as a process of its own.
#
# Tests of a folder share a program only when they share labels, resource
# lock and output folder, so those properties hold for every case exactly as
# for a program of its own. Tests labelled "threads" also run under
# ThreadSanitizer; a test that links a library that starts threads gets that
# label by itself (pemu_starts_threads). Cases that share a RESOURCE_LOCK
# (fixed ports, for example) never run at the same time.

# pemu_starts_threads(target): marks a library whose objects start threads.
# Every test that links it, directly or through other libraries, carries the
# label "threads" without saying so, so that ThreadSanitizer misses none.
function(pemu_starts_threads target)
  set_property(TARGET ${target} PROPERTY PEMU_STARTS_THREADS ON)
endfunction()

# Sets `out` to TRUE when a target of `libs` or of their link libraries is
# marked by pemu_starts_threads.
function(pemu_links_threads out)
  set(pending ${ARGN})
  set(seen "")
  set(found FALSE)
  while(pending AND NOT found)
    list(POP_FRONT pending lib)
    string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" lib "${lib}")
    if(NOT TARGET ${lib} OR lib IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${lib})
    get_target_property(marked ${lib} PEMU_STARTS_THREADS)
    if(marked)
      set(found TRUE)
    endif()
    get_target_property(aliased ${lib} ALIASED_TARGET)
    if(aliased)
      list(APPEND pending ${aliased})
    endif()
    get_target_property(deps ${lib} INTERFACE_LINK_LIBRARIES)
    if(deps)
      list(APPEND pending ${deps})
    endif()
  endwhile()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

function(pemu_add_test)
  cmake_parse_arguments(T "" "NAME;RESOURCE_LOCK" "SOURCES;LIBS;LABELS" ${ARGN})
  # A test whose sources are still being written is left out of a local
  # build (others can go on building); in CI a missing source is an error.
  foreach(src ${T_SOURCES})
    if(NOT IS_ABSOLUTE ${src})
      set(src ${CMAKE_CURRENT_SOURCE_DIR}/${src})
    endif()
    if(NOT EXISTS ${src})
      if(DEFINED ENV{CI})
        message(FATAL_ERROR "test ${T_NAME}: missing source ${src}")
      endif()
      message(WARNING "test ${T_NAME} left out: missing source ${src}")
      return()
    endif()
  endforeach()
  add_library(${T_NAME} OBJECT ${T_SOURCES})
  # In the sanitizer builds the tests' own sources are compiled at -O1 (the
  # code under test keeps its -O2): test sources are mostly gtest macros and
  # tables, which instrumented -O2 compiles in half again the time, and the
  # tests run no slower in any way that matters.
  if(PEMU_SANITIZE)
    target_compile_options(${T_NAME} PRIVATE -O1)
  endif()
  target_link_libraries(${T_NAME} PUBLIC ${T_LIBS} GTest::gtest GTest::gmock Threads::Threads)
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR})
  pemu_links_threads(threaded ${T_LIBS})
  if(threaded AND NOT "threads" IN_LIST T_LABELS)
    list(APPEND T_LABELS threads)
  endif()
  list(SORT T_LABELS)
  # The folder's program: its path below tests/, with "_" for "/".
  file(RELATIVE_PATH group ${PROJECT_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
  if(group STREQUAL "" OR group MATCHES "^\\.\\.")
    file(RELATIVE_PATH group ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  string(REGEX REPLACE "[^A-Za-z0-9]+" "_" group "${group}")
  set_target_properties(${T_NAME} PROPERTIES
    PEMU_TEST_GROUP "${group}"
    PEMU_TEST_LABELS "${T_LABELS}"
    PEMU_TEST_LOCK "${T_RESOURCE_LOCK}"
    PEMU_TEST_LIBS "${T_LIBS}"
    PEMU_TEST_WORKDIR "${CMAKE_CURRENT_BINARY_DIR}")
  set_property(GLOBAL APPEND PROPERTY PEMU_TESTS ${T_NAME})
endfunction()

# Links the tests registered so far into one program per folder (and per set
# of labels, resource lock and output folder), registers their cases with
# ctest, and makes the target threaded_tests, which builds only the programs
# labelled "threads" (the ThreadSanitizer run).
function(pemu_link_tests)
  get_property(tests GLOBAL PROPERTY PEMU_TESTS)
  set(programs "")
  foreach(t ${tests})
    get_target_property(group ${t} PEMU_TEST_GROUP)
    get_target_property(labels ${t} PEMU_TEST_LABELS)
    get_target_property(lock ${t} PEMU_TEST_LOCK)
    get_target_property(outdir ${t} RUNTIME_OUTPUT_DIRECTORY)
    set(program ${group})
    foreach(part ${labels} ${lock})
      string(APPEND program "_${part}")
    endforeach()
    if(outdir AND NOT outdir STREQUAL CMAKE_RUNTIME_OUTPUT_DIRECTORY)
      get_filename_component(outname ${outdir} NAME)
      string(APPEND program "_${outname}")
    endif()
    string(APPEND program "_tests")
    if(NOT program IN_LIST programs)
      list(APPEND programs ${program})
      set(${program}_members "")
      set(${program}_labels "${labels}")
      set(${program}_lock "${lock}")
      set(${program}_outdir "${outdir}")
      get_target_property(${program}_workdir ${t} PEMU_TEST_WORKDIR)
    endif()
    list(APPEND ${program}_members ${t})
  endforeach()

  add_custom_target(threaded_tests)
  set_property(GLOBAL PROPERTY PEMU_TEST_PROGRAMS ${programs})
  foreach(program ${programs})
    add_executable(${program})
    set(libs "")
    foreach(t ${${program}_members})
      get_target_property(member_libs ${t} PEMU_TEST_LIBS)
      list(APPEND libs ${member_libs})
    endforeach()
    list(REMOVE_DUPLICATES libs)
    # The members' objects with their libraries; an object library among
    # those (pemu_test_fonts) is linked directly, so its objects are linked,
    # and once.
    set(object_libs "")
    foreach(lib ${libs})
      if(TARGET ${lib})
        get_target_property(type ${lib} TYPE)
        if(type STREQUAL "OBJECT_LIBRARY")
          list(APPEND object_libs ${lib})
        endif()
      endif()
    endforeach()
    target_link_libraries(${program} PRIVATE ${${program}_members} ${object_libs}
      GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
    # What a folder made a test depend on (modules it loads, helper programs
    # it starts) is built with the program that runs it, also when only the
    # threaded tests are built.
    foreach(t ${${program}_members})
      get_target_property(member_deps ${t} MANUALLY_ADDED_DEPENDENCIES)
      if(member_deps)
        add_dependencies(${program} ${member_deps})
      endif()
    endforeach()
    if(${program}_outdir AND NOT ${program}_outdir STREQUAL CMAKE_RUNTIME_OUTPUT_DIRECTORY)
      set_target_properties(${program} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${${program}_outdir})
    endif()
    # A hang guard, not a speed goal: ThreadSanitizer runs the encoders'
    # tests several times slower, and a 2-core machine runs two at once.
    if(PEMU_SANITIZE STREQUAL "thread")
      set(props TIMEOUT 360)
    else()
      set(props TIMEOUT 120)
    endif()
    if(${program}_labels)
      list(APPEND props LABELS "${${program}_labels}")
    endif()
    if(${program}_lock)
      list(APPEND props RESOURCE_LOCK ${${program}_lock})
    endif()
    gtest_discover_tests(${program} PROPERTIES ${props} DISCOVERY_TIMEOUT 60
      WORKING_DIRECTORY ${${program}_workdir})
    if("threads" IN_LIST ${program}_labels)
      add_dependencies(threaded_tests ${program})
    endif()
  endforeach()
endfunction()

# The target programs: every program, library and module of the tree but the
# tests (the receiver simulator, the benchmarks and the fuzz replays
# included). The plain build of scripts/test builds this; the sanitizer
# builds build everything.
function(pemu_add_programs_target)
  get_property(test_programs GLOBAL PROPERTY PEMU_TEST_PROGRAMS)
  set(wanted "")
  set(dirs ${PROJECT_SOURCE_DIR})
  while(dirs)
    list(POP_FRONT dirs dir)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    list(APPEND dirs ${subdirs})
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(t ${targets})
      get_target_property(type ${t} TYPE)
      get_target_property(group ${t} PEMU_TEST_GROUP)
      get_target_property(excluded ${t} EXCLUDE_FROM_ALL)
      if(type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY)$"
          AND NOT group AND NOT excluded AND NOT t IN_LIST test_programs)
        list(APPEND wanted ${t})
      endif()
    endforeach()
  endwhile()
  add_custom_target(programs)
  if(wanted)
    add_dependencies(programs ${wanted})
  endif()
endfunction()
