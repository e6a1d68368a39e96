// Catalog information of a file specification, as the plug-in code asks for it.
#pragma once

#include "platform/files/files.h"

// Fills the FSSpec's directory information; 0 when the item exists.
OSErr GetCatInfoOfSpec(FSSpec* fileSpec);
