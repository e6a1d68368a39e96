// What the key commands reach outside the editors' built topics. The application fills the
// locate and the context help; the other entries belong to editor and editing topics that
// are filled by their owners as they come. A key whose entry is not filled is still used
// and does nothing.
#pragma once

#include <cstdint>

#include "platform/events/classic_events.h"

struct KeyCommandHooks {
  // The application (shell/app).
  void (*locateToPosition)(uint32_t tick) = nullptr;
  void (*showContextHelp)() = nullptr;
  // The idle pass's transport follower, run at once by a key that must see its stop handled
  // before it leaves a further request.
  void (*followTransportState)() = nullptr;
  // -9874 when the on-screen keyboard does not take the key.
  OSStatus (*keyboardWindowKey)(uint8_t ch, EventRecord* event) = nullptr;
  // Windows with their own key routines: the notepad, the plug-in chooser (-9874: not
  // taken, 0: go on with the editor keys), the jukebox, plug-in editor windows (false: the
  // front window is none).
  void (*notepadKey)(uint8_t ch, EventRecord* event) = nullptr;
  OSStatus (*pluginChooserKey)(uint8_t ch, EventRecord* event) = nullptr;
  void (*jukeboxKey)(uint8_t ch, uint8_t keyCode, uint16_t modifiers, uint32_t when) = nullptr;
  bool (*passKeyToPluginWindow)(uint8_t ch, EventRecord* event) = nullptr;
  // The main editor and its neighbours.
  void (*selectViewMode)(int16_t mode) = nullptr;
  void (*selectEditTool)(int16_t tool) = nullptr;
  void (*setNoteValue)(int16_t fraction) = nullptr;   // 1 whole .. 16 sixteenth
  void (*toggleTuplet)(int16_t tuplet) = nullptr;     // 3, 5, 7
  void (*toggleDotted)() = nullptr;
  void (*scrollEditor)(int16_t part) = nullptr;       // scroll bar parts 20..23
  void (*scrollEventList)(int16_t part) = nullptr;
  void (*scrollInstrumentWindow)(int16_t part) = nullptr;  // one strip (20, 21) or a page (22, 23)
  void (*doEditMenuItem)(int16_t item) = nullptr;
  void (*doTransformShortcut)(int16_t item, int16_t direction) = nullptr;
  void (*changeSelectedDurations)(int16_t direction) = nullptr;
  void (*changeSelectedVelocities)(int16_t delta) = nullptr;
  void (*moveSongListSelection)(int16_t direction) = nullptr;
  void (*openMarkerDialog)(uint32_t tick, bool playing) = nullptr;
  void (*goToAdjacentMarker)(bool backward) = nullptr;
  void (*resetEventTemplate)() = nullptr;
  void (*cancelPaneAction)() = nullptr;
  void (*trackColumnKey)(uint8_t column, bool shift) = nullptr;  // 'S' or 'M'
  void (*showCounterAtLocateBar)() = nullptr;
  void (*showPositionInWindow)(int16_t kind) = nullptr;  // kinds 5, 7, 8, 11
};
extern KeyCommandHooks gKeyCommandHooks;
