// Settings resources ('BMID') in the current or the preferences resource file.
#pragma once

#include "platform/memory/mac_types.h"

constexpr ResType kSettingsResType = FourCC("BMID");

// Replaces 'BMID' id with *h (the caller keeps the handle); with inPrefs set, in the
// preferences resource file. Returns the Resource Manager's error.
OSErr WriteBMIDResource(Handle* h, int16_t id, ConstStr255Param name, bool inPrefs);
// Removes a resource of the current file by id (byId) or by name, disposing its handle.
void RemoveResourceById(ResType type, int16_t id, ConstStr255Param name, bool byId);
void RemoveSettingsResource(int16_t id);
