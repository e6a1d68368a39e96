// Interim: the transport's position block, flag word and status byte, and putting them back
// after an edit (the song model's ResetPlaybackState asks for it through its transport
// hooks). No clock reads them yet.
#pragma once

#include <cstdint>

constexpr int32_t kTransportPositionBlockSize = 32;
// +0 u32 the song position in ticks; the rest belongs to the clock.
extern uint8_t gTransportPositionBlock[kTransportPositionBlockSize];
extern uint32_t gTransportFlagWord;
extern uint8_t gTransportStatusByte;

// Set while section playback is prepared again after an edit.
constexpr uint32_t kTransportFlagSectionReset = 0x80000000u;
// The two flags a reset clears (play pending, locate pending).
constexpr uint32_t kTransportFlagPlayPending = 0x01;
constexpr uint32_t kTransportFlagLocatePending = 0x02;

uint32_t ReadSongPositionTick();
// With prepare: sets kTransportFlagSectionReset when sectionReset, runs the sequencer's
// pending idle tasks in the current song's context (the status byte is kept through them) and
// clears the two pending flags. With keepPosition the position block is kept through it all.
void ResetTransportForEdit(bool prepare, bool sectionReset, bool keepPosition);
