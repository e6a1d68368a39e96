# The playback timing benchmark plays through a JACK client of its own, with the song and
# capture helpers of the playback tests.
find_package(PkgConfig REQUIRED)
pkg_check_modules(ZARIN_BENCH_JACK REQUIRED IMPORTED_TARGET jack)
add_executable(playback_timing_bench playback_timing_bench.cpp
  ${CMAKE_SOURCE_DIR}/tests/sequencer/playback/jack_capture.cpp
  ${CMAKE_SOURCE_DIR}/tests/song/smf/smf_test_setup.cpp)
target_include_directories(playback_timing_bench PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(playback_timing_bench PRIVATE
  -Wl,--start-group sequencer song shell -Wl,--end-group PkgConfig::ZARIN_BENCH_JACK benchmark::benchmark)
