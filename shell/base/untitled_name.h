// The default document name.
#pragma once

#include "platform/memory/mac_types.h"

// The default name ('STR ' 129 when present, else "Untitled"), as a Pascal string.
ConstStringPtr GetUntitledName();
