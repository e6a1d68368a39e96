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
  if(name MATCHES "^platform_")
    set_property(GLOBAL APPEND PROPERTY ZARIN_PLATFORM_LIBS ${name})
  endif()
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

# The program's subsystems call one another both ways (the shell calls the song model and
# the song model calls the shell's error reporter), so each subsystem folder is one static
# library built from all of its sources, and the libraries are linked to one another at the
# end of the configuration (zarin_link_subsystems); the linker resolves the cycle.
set_property(GLOBAL PROPERTY ZARIN_SUBSYSTEMS "")
set_property(GLOBAL PROPERTY ZARIN_PLATFORM_LIBS "")

function(zarin_subsystem name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${ZARIN_WARNINGS})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  set_property(GLOBAL APPEND PROPERTY ZARIN_SUBSYSTEMS ${name})
endfunction()

function(zarin_link_subsystems)
  get_property(subsystems GLOBAL PROPERTY ZARIN_SUBSYSTEMS)
  get_property(platform GLOBAL PROPERTY ZARIN_PLATFORM_LIBS)
  foreach(name IN LISTS subsystems)
    set(others ${subsystems})
    list(REMOVE_ITEM others ${name})
    target_link_libraries(${name} PUBLIC ${others} ${platform})
    set_property(TARGET ${name} PROPERTY LINK_INTERFACE_MULTIPLICITY 3)
  endforeach()
endfunction()
