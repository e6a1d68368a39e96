// Colour swatches in classic dialogs: user items painted with one colour of a table, whose
// clicks are reported so that the page can let the user pick the colour.
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
// With colour drawing on, asks for page item `item`'s colour with the colour picker (empty
// prompt, default place), starting from *colour; a confirmed choice is written to *colour and
// the swatch redrawn. True when the user confirmed.
bool PickColorSwatchColor(int16_t item, RGBColor* colour);
