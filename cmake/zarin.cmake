# Shared build settings and the helpers every folder uses.

set(ZARIN_WARNINGS -Wall -Wextra)
set(ZARIN_SANITIZER_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)

if(ZARIN_SANITIZE)
  add_compile_options(${ZARIN_SANITIZER_FLAGS})
  add_link_options(-fsanitize=address,undefined)
endif()

# The layers, lowest first, as tools/layers.txt lists them: each folder named there gets the
# index of its layer (ZARIN_LAYER_<folder>) and the layer's name (ZARIN_LAYER_NAME_<index>).
file(STRINGS ${CMAKE_SOURCE_DIR}/tools/layers.txt ZARIN_LAYER_LINES REGEX "^[a-z]+:")
set(ZARIN_LAYER_INDEX 0)
foreach(line IN LISTS ZARIN_LAYER_LINES)
  string(REGEX MATCH "^[a-z]+" layer "${line}")
  string(REGEX REPLACE "^[a-z]+:[ ]*" "" folders "${line}")
  separate_arguments(folders)
  foreach(folder IN LISTS folders)
    set_property(GLOBAL PROPERTY ZARIN_LAYER_${folder} ${ZARIN_LAYER_INDEX})
  endforeach()
  set_property(GLOBAL PROPERTY ZARIN_LAYER_NAME_${ZARIN_LAYER_INDEX} ${layer})
  math(EXPR ZARIN_LAYER_INDEX "${ZARIN_LAYER_INDEX} + 1")
endforeach()

# The layer of the folder being configured: its own entry, else its parent's.
function(zarin_folder_layer out)
  file(RELATIVE_PATH folder ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  get_property(layer GLOBAL PROPERTY ZARIN_LAYER_${folder})
  if(layer STREQUAL "")
    string(REGEX REPLACE "/.*" "" parent "${folder}")
    get_property(layer GLOBAL PROPERTY ZARIN_LAYER_${parent})
  endif()
  if(layer STREQUAL "")
    message(FATAL_ERROR "${folder} is in no layer of tools/layers.txt")
  endif()
  set(${out} ${layer} PARENT_SCOPE)
endfunction()

# zarin_library(NAME SOURCES a.cpp b.cpp DEPS other_lib ... LIBS system_lib ...)
# One static library per topic folder; includes are written from the repository root.
# DEPS names the libraries of the program it uses: each must lie in the same layer or a lower
# one (zarin_check_layers refuses the configuration otherwise); a call that must go up goes
# through a hook table (ARCHITECTURE.md). A library without sources (headers only) is an
# interface library.
function(zarin_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LIBS" ${ARGN})
  zarin_folder_layer(layer)
  if(ARG_SOURCES)
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_compile_options(${name} PRIVATE ${ZARIN_WARNINGS})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} ${ARG_LIBS})
    # Topic libraries of one layer may call one another both ways: the linker goes round
    # such a group as often as the longest chain needs.
    set_property(TARGET ${name} PROPERTY LINK_INTERFACE_MULTIPLICITY 8)
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS} ${ARG_LIBS})
  endif()
  set_property(GLOBAL PROPERTY ZARIN_LAYER_OF_${name} ${layer})
  set_property(GLOBAL PROPERTY ZARIN_DEPS_OF_${name} ${ARG_DEPS})
  set_property(GLOBAL APPEND PROPERTY ZARIN_LIBRARIES ${name})
  if(name MATCHES "^platform_")
    set_property(GLOBAL APPEND PROPERTY ZARIN_PLATFORM_LIBS ${name})
  endif()
endfunction()

# zarin_group(NAME lib ...): one name for the topic libraries of a subsystem, for the
# program and the tests that use the subsystem as a whole.
function(zarin_group name)
  add_library(${name} INTERFACE)
  target_link_libraries(${name} INTERFACE ${ARGN})
endfunction()

# Refuses the configuration when a library depends on one of a higher layer.
function(zarin_check_layers)
  get_property(libraries GLOBAL PROPERTY ZARIN_LIBRARIES)
  foreach(name IN LISTS libraries)
    get_property(layer GLOBAL PROPERTY ZARIN_LAYER_OF_${name})
    get_property(deps GLOBAL PROPERTY ZARIN_DEPS_OF_${name})
    foreach(dep IN LISTS deps)
      get_property(dep_layer GLOBAL PROPERTY ZARIN_LAYER_OF_${dep})
      if(dep_layer STREQUAL "")
        message(FATAL_ERROR "${name} depends on ${dep}, which is no library of the program")
      endif()
      if(dep_layer GREATER layer)
        get_property(own GLOBAL PROPERTY ZARIN_LAYER_NAME_${layer})
        get_property(high GLOBAL PROPERTY ZARIN_LAYER_NAME_${dep_layer})
        message(FATAL_ERROR "${name} (layer ${own}) depends on ${dep} of the higher layer "
                            "${high}; a lower layer reaches up only through a hook table")
      endif()
    endforeach()
  endforeach()
endfunction()

# zarin_test(NAME [SERIAL] SOURCES a_test.cpp DEPS lib ...)
# A GoogleTest program whose cases CTest lists one by one; SERIAL runs each case alone (cases
# that time a real-time server's cycles).
function(zarin_test name)
  cmake_parse_arguments(ARG "SERIAL" "" "SOURCES;DEPS;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${ZARIN_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} ${ARG_LIBS} zarin_test_main)
  set(serial FALSE)
  if(ARG_SERIAL)
    set(serial TRUE)
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "ZARIN_TEST_FIXTURES=${CMAKE_SOURCE_DIR}/tests/fixtures" RUN_SERIAL ${serial})
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

set_property(GLOBAL PROPERTY ZARIN_LIBRARIES "")
set_property(GLOBAL PROPERTY ZARIN_PLATFORM_LIBS "")
