// Automation records as the stream mixer plays them: volume and pan recompute the channel's
// gains, plug-in parameters go to the plug-in at the record's chain position, send levels and
// pans recompute that send's gains.
#pragma once

#include <atomic>
#include <cstdint>

struct EngineChannel;
struct ChannelSend;

// Bit 0: automation is played back. Set by default.
extern std::atomic<uint8_t> gAutomationReadSwitch;

// Plays one record on the channel (nothing while the read switch is off or the record is
// marked skipped).
void ApplyAutomationEvent(EngineChannel* channel, const uint8_t* record);
// Kinds 4 (send level) and 5 (send pan): the send whose index is the record's, on the channel.
void ApplySendAutomation(EngineChannel* channel, const uint8_t* record, uint8_t kind);
// The left and right gains of a level and a pan: the level scaled by the master level when
// that is below unity, then the pan law of SetChannelGains.
void GainsFromLevelAndPan(int32_t level, int32_t pan, int32_t* left, int32_t* right);
