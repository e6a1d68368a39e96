// Number texts shown in the lane readouts.
#pragma once

#include "platform/memory/mac_types.h"

// A length-prefixed number text with a '.' loses its trailing '0's, and then a final '.'.
void TrimTrailingZeros(StringPtr text);
