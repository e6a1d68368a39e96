// Drawing the mixer window: the header naming the selected channel and its outputs or sends,
// the rack faders with their link switch, and one row per plug-in of the rack with its
// bypass, name, channel counts, program and sound-bank lines, buttons and parameter knobs.
// The same drawing serves any port that stands in for the window (inWindow false leaves out
// the closing strip and the add button).
#pragma once

#include <cstdint>

#include "platform/quickdraw/quickdraw_types.h"

struct PluginInstance;
struct MixerRows;

// Resources of the mixer.
constexpr int16_t kMixerStrList = 151;
constexpr int16_t kLockedHintItem = 2;        // (0-based) string 3: no rack to show
constexpr int16_t kNoRackHintItem = 3;        // string 4: a track without a rack
constexpr int16_t kFaderLabelItem = 4;        // strings 5-7: the rack faders' labels
constexpr int16_t kEditorButtonItem = 7;      // string 8: the editor button
constexpr int16_t kInstrumentWordList = 138;  // item 24: "Instrument"
constexpr int16_t kDeviceListStrList = 139;   // item 1: the output kind name
constexpr int16_t kRoutingTitleMessage = 19;
constexpr int16_t kChannelsTextMessage = 20;
constexpr int16_t kRoutingTitlePluralMessage = 21;

// The global rack-power byte (1: the racks' plug-ins run).
extern uint8_t gRackPower;

// The update of the mixer window.
void DrawMixerWindow();
// The selected rack with its header, in the current port.
void DrawMixerRack(bool inWindow);
// One row's parameter area (from the grid's top) and one rack fader, in the mixer window.
void RedrawMixerParameters(int32_t row);
void RedrawRackFader(int32_t fader);
// Draws one knob cell of a row.
void DrawMixerKnobCell(PluginInstance* plugin, int32_t row, int32_t k, const MixerRows& rows);

// The redraw range of the rows (first 32767, last -1 when empty).
extern int16_t gMixerRedrawFirst;
extern int16_t gMixerRedrawLast;
void ResetMixerRedrawRange();
// Redraws the rows of the range, widened first by the rows whose plug-ins changed, then
// empties it.
void RedrawMixerRange();
// After the chain changed: the window takes the rows' height and bit 1 of the song's window
// layout flags is set.
void UpdateMixerInsertArea();
// The idle refresh while plug-ins change their values: parameter areas and rack faders of the
// rows whose plug-ins report changes.
void MixerRefreshIdle();
// The name of insert n of the current track's rack; empty when its lanes take no plug-in
// from the rack or the slot is empty.
void GetRackInsertName(int32_t n, Str255 name);
