// The commands of the menus that act on the selected tracks: track commands (86), track
// display (91), audio processing (85) and plug-in processing (95).
#pragma once

#include <cstdint>

#include "platform/menus/menus.h"

// The track's display byte (an otherwise unused byte of the TrackEntry): bit 0 set shows the
// track's row highlighted (menu 91).
constexpr int32_t kTrackDisplayByte = 5;
constexpr uint8_t kTrackDisplayHighlighted = 0x01;
// Track kind (TrackEntry byte 58) whose tracks menu 86 groups.
constexpr uint8_t kGroupableTrackKind = 7;
constexpr int32_t kNoQualifyingTrackError = 58;
constexpr uint16_t kNoPluginCommand = 0x8000;

// The last plug-in processing command (item >= 0x8000: none) and its menu.
extern uint16_t gLastPluginItem;
extern MenuRef gLastPluginMenu;

// Items 1/2 silence / unsilence the selected tracks (flags bit 0x10, one undo step), 5 runs
// the plug-in command over them, 8 groups the selected tracks of the groupable kind, 7 does
// item 8 first. Then the track window is redrawn and the song marked modified.
void HandleTrackCommandsMenu(int16_t item);
// Item 1 clears, other items set bit 0 of every selected track's display byte.
void HandleTrackDisplayMenu(int16_t item);
// Needs a selected track that qualifies (else error 58); items 7, 9 and 10 reset playback
// first, items other than 7 and 9 need a time selection.
void HandleAudioProcessingMenu(int16_t item);
// menu: the plug-in processing menu the item came from, null for menu 95 itself, whose
// item 1 repeats the last command. Needs the current track's audio (else error 58) and a
// time selection; a successful run is remembered.
void HandlePluginProcessingMenu(MenuRef menu, int16_t item);
