#!/usr/bin/env bash
# Runs tools/check_layers over small trees laid out like the program, each breaking the layer
# order in one way, and checks that it refuses them and accepts the tree that keeps it.
set -uo pipefail
source_root=$1
check="$source_root/tools/check_layers"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

make_tree() {
  rm -rf "$work/tree"
  mkdir -p "$work/tree/tools" "$work/tree/song/model" "$work/tree/sequencer/clock" \
    "$work/tree/shell/base" "$work/tree/platform/threads"
  cp "$source_root/tools/layers.txt" "$work/tree/tools/"
  echo '#pragma once' > "$work/tree/sequencer/clock/clock_timer.h"
  echo '#pragma once' > "$work/tree/song/model/songs.h"
  echo '#include <pthread.h>' > "$work/tree/platform/threads/threads.cpp"
  printf '#include "song/model/songs.h"\n#include "sequencer/clock/clock_timer.h"\n' \
    > "$work/tree/sequencer/clock/clock_timer.cpp"
}

# expect NAME STATUS PATTERN [ARGS...]: the check, given ARGS, exits with STATUS and prints
# PATTERN.
expect() {
  local output status
  output=$(python3 "$check" --root "$work/tree" "${@:4}" 2>&1)
  status=$?
  if [ "$status" -ne "$2" ] || ! grep -q -- "$3" <<<"$output"; then
    echo "FAIL $1: exit $status, wanted $2 and '$3'; output:"
    echo "$output"
    failures=$((failures + 1))
  else
    echo "ok   $1"
  fi
}

make_tree
expect "a tree that keeps the order" 0 "layers: 0 refused"

make_tree
echo '#include "sequencer/clock/clock_timer.h"' > "$work/tree/song/model/songs.cpp"
expect "an include of a higher layer" 1 "song/model/songs.cpp:1: song includes sequencer/clock/clock_timer.h of the higher layer sequencer"

make_tree
echo '#include "song/model/songs.h"' > "$work/tree/shell/base/file_access.cpp"
expect "the base including the song model" 1 "base includes song/model/songs.h"

make_tree
printf 'void Wait() {\n  usleep(10);\n}\n' > "$work/tree/song/model/songs.cpp"
expect "a raw sleep above the platform" 1 "songs.cpp:2: raw threads"

make_tree
echo '// the old code called usleep here' > "$work/tree/song/model/songs.cpp"
expect "a comment naming a sleep" 0 "0 refused"

# A low library that uses a symbol a higher layer defines, with no include line to show it.
make_tree
mkdir -p "$work/build"
printf 'void AdvanceClock();\nvoid PlaySong() { AdvanceClock(); }\n' > "$work/build/songs.cpp"
printf 'void AdvanceClock() {}\n' > "$work/build/clock.cpp"
c++ -c "$work/build/songs.cpp" -o "$work/build/songs.o"
c++ -c "$work/build/clock.cpp" -o "$work/build/clock.o"
ar rcs "$work/build/libsong_model.a" "$work/build/songs.o"
ar rcs "$work/build/libsequencer_clock.a" "$work/build/clock.o"
expect "a symbol of a higher layer" 1 \
  "libsong_model.a (song) uses AdvanceClock(), which sequencer_clock of the higher layer sequencer" \
  --symbols "$work/build"
printf 'void AdvanceClock() {}\nvoid PlaySong() { AdvanceClock(); }\n' > "$work/build/songs.cpp"
c++ -c "$work/build/songs.cpp" -o "$work/build/songs.o"
rm "$work/build/libsong_model.a"
ar rcs "$work/build/libsong_model.a" "$work/build/songs.o"
expect "symbols of its own library" 0 "0 refused" --symbols "$work/build"

# CMake refuses a library whose DEPS name a library of a higher layer.
configure_tree() {
  rm -rf "$work/cmake"
  mkdir -p "$work/cmake/tools" "$work/cmake/song/model" "$work/cmake/sequencer/clock"
  cp "$source_root/tools/layers.txt" "$work/cmake/tools/"
  cat > "$work/cmake/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.25)
project(LayerProbe CXX)
include($source_root/cmake/zarin.cmake)
add_subdirectory(song/model)
add_subdirectory(sequencer/clock)
zarin_check_layers()
CMAKE
  echo 'void PlaySong() {}' > "$work/cmake/song/model/songs.cpp"
  echo 'void AdvanceClock() {}' > "$work/cmake/sequencer/clock/clock.cpp"
  echo "zarin_library(song_model SOURCES songs.cpp DEPS $1)" \
    > "$work/cmake/song/model/CMakeLists.txt"
  echo 'zarin_library(sequencer_clock SOURCES clock.cpp DEPS song_model)' \
    > "$work/cmake/sequencer/clock/CMakeLists.txt"
  cmake -S "$work/cmake" -B "$work/cmake/build" 2>&1
}
if output=$(configure_tree sequencer_clock); then
  echo "FAIL CMake took a dependency on a higher layer"
  failures=$((failures + 1))
elif ! grep -q "song_model (layer song) depends on sequencer_clock of the higher layer" <<<"$output"; then
  echo "FAIL CMake refused for another reason:"
  echo "$output"
  failures=$((failures + 1))
else
  echo "ok   CMake refuses a dependency on a higher layer"
fi
if ! output=$(configure_tree ""); then
  echo "FAIL CMake refused a tree that keeps the order:"
  echo "$output"
  failures=$((failures + 1))
else
  echo "ok   CMake takes a tree that keeps the order"
fi

[ "$failures" -eq 0 ]
