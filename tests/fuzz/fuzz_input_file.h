// The files a fuzz target hands its input to a reader through: a folder of its own for the
// process, in memory (/dev/shm) where there is one so that no input waits on a disk, removed
// when the process ends normally (a crash leaves it, with the input that broke the reader).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/files/file_types.h"

// The process's folder, made on the first call.
const std::string& FuzzFolder();
// Removes everything in the folder (what a reader left there).
void EmptyFuzzFolder();
// Writes data to the file name in the folder (replacing it) and gives its location; the
// program stops when the file cannot be written, since every later input would be lost.
FSSpec WriteFuzzFile(const char* name, const uint8_t* data, size_t size);
// The same for a file elsewhere (one the program looks for in a place of its own).
FSSpec WriteFuzzFileAt(const std::string& path, const uint8_t* data, size_t size);
