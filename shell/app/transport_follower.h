// The idle pass's transport follower: turns changes of the transport request byte
// (sequencer/transport/transport_requests.h) into play, stop, locate, record and cycle
// operations on the main thread, and keeps the info panel current while it does.
//
// It is edge-driven: gLastTransportFlagsByte is the byte as the follower last handled it. The
// end tasks that a start pushes on the idle-task stack below the pass's own tasks clear bits
// of it when the pass is over, so that the next start is seen as a change again.
#pragma once

#include <cstdint>

extern uint8_t gLastTransportFlagsByte;
// Idle passes left before the info panel is updated once more (set to 4 by a stop or locate).
extern uint8_t gInfoPanelRefreshCountdown;
// Non-zero: the audio is prepared at the locate point at the next quiet idle pass.
extern uint32_t gPendingAudioPrepare;

void FollowTransportStateAtIdle();
// The keys' direct call of the follower (gKeyCommandHooks.followTransportState).
void InstallTransportFollowerHooks();
// Pushed below the play tasks: the pass has ended, running is cleared.
void EndPlayIdleTask();
// Pushed below the cycle tasks: running is cleared and, unless a play took over, cycle too.
void EndCycleIdleTask();
