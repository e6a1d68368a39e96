// The four strings that alerts and dialogs substitute for ^0 .. ^3 in their static texts.
#pragma once

#include "platform/memory/mac_types.h"

void ParamText(ConstStr255Param p0, ConstStr255Param p1, ConstStr255Param p2, ConstStr255Param p3);
// The current substitution string n (0..3), as a Pascal string.
ConstStringPtr GetParamText(int n);
