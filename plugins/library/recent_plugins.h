// The plug-ins chosen last (most recent first, at most 20), kept in the preferences file as
// 'BMID' 139 "Rec": per item u32 unique id, u8 kind, u8 0, u32 table index (10 bytes,
// big-endian, packed).
#pragma once

#include <cstdint>

#include "platform/events/toolbox_refs.h"
#include "platform/memory/mac_types.h"

constexpr int32_t kRecentPluginCount = 20;
constexpr int32_t kRecentPluginItemSize = 10;
constexpr int16_t kRecentPluginsResId = 139;
constexpr OSErr kChooserSettingsNotLoaded = -6227;

struct RecentPlugin {
  uint32_t uniqueId = 0;
  uint8_t kind = 0;
  uint32_t index = 0;
};

// Puts the entry first (an older item of the same id and kind goes), drops the 21st and
// saves the list; -6227 while the chooser settings have not been loaded.
OSErr RememberRecentPlugin(int32_t index);
OSErr SaveRecentPlugins();
// Removes item n (0-based) and saves the list.
void RemoveRecentPlugin(int32_t n);
// Appends the recent plug-ins to menu (reference value = table index), checking those that
// are in the chain whose head is chainHead when check is set.
void AddRecentPluginItems(MenuRef menu, uint32_t chainHead, bool check);
// The list (tests and the chooser).
int32_t CountRecentPlugins();
RecentPlugin GetRecentPlugin(int32_t n);
// Loads the list from the preferences ('BMID' 139) and marks the chooser settings loaded.
void LoadRecentPlugins();
// Empties the list and marks the settings not loaded (tests).
void ResetRecentPlugins();
