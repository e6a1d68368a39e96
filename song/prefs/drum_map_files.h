// Drum-map files ('MDRM'): one size-prefixed block, handed to the drum set code.
#pragma once

#include "platform/files/files.h"

// Reads the block of the drum-map file at fileSpec; its name goes to fileName (at most 63
// characters). Returns the block, or null with *err set (-39 when the stated size runs past
// the file, the memory or file error; reported).
Handle ImportDrumMapFile(const FSSpec* fileSpec, StringPtr fileName, OSErr* err);
