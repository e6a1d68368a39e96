# Shared build settings and the helpers every folder uses.

set(ZARIN_WARNINGS -Wall -Wextra)
set(ZARIN_SANITIZER_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)

if(ZARIN_SANITIZE)
  add_compile_options(${ZARIN_SANITIZER_FLAGS})
  add_link_options(-fsanitize=address,undefined)
endif()

# zarin_library(NAME SOURCES a.cpp b.cpp DEPS other_lib ... LIBS system_lib ...)
# One static library per folder; includes are written from the repository root.
function(zarin_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${ZARIN_WARNINGS})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} ${ARG_LIBS})
endfunction()

# zarin_test(NAME SOURCES a_test.cpp DEPS lib ...)
# A GoogleTest program whose cases CTest lists one by one.
function(zarin_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${ZARIN_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} ${ARG_LIBS} zarin_test_main)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "ZARIN_TEST_FIXTURES=${CMAKE_SOURCE_DIR}/tests/fixtures")
endfunction()

# zarin_fuzzer(NAME SOURCES f.cpp DEPS lib ...): a libFuzzer target, built only with ZARIN_FUZZ.
function(zarin_fuzzer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LIBS" ${ARGN})
  if(NOT ZARIN_FUZZ)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} ${ARG_LIBS})
  add_dependencies(zarin_fuzzers ${name})
endfunction()

if(ZARIN_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined)
  add_custom_target(zarin_fuzzers)
endif()
