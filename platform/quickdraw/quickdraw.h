// The drawing layer in one include: screen, ports, GWorlds, geometry, regions, pens,
// colours, shapes, pixel copies, text, pictures, icons and cursors.
#pragma once

#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/copy_bits.h"
#include "platform/quickdraw/cursors.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/gworlds.h"
#include "platform/quickdraw/icons.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/pictures.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/quickdraw_types.h"
#include "platform/quickdraw/regions.h"
#include "platform/quickdraw/screen.h"
#include "platform/quickdraw/text.h"
#include "platform/quickdraw/theme_text.h"
#include "platform/system/quickdraw_random.h"
