// Colour swatches in classic dialogs: user items painted with one colour of a table.
#pragma once

#include <cstdint>

#include "platform/dialogs/dialogs.h"
#include "platform/quickdraw/quickdraw_types.h"

// Makes page item `item` a swatch of colours[item - first] (colours holds count entries and
// must stay alive while the dialog is open).
void InstallColorSwatchItem(int16_t item, int16_t first, const RGBColor* colours, int16_t count);
// The user-item procedure: with colour drawing on, the item painted in its colour and framed
// in black; nothing for an item outside the table.
void DrawColorSwatchItem(DialogRef dialog, DialogItemIndex item);
