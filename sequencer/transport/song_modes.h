// The current song's mode as the audio tracks ask for it.
#pragma once

// The current song's mode byte is 1.
bool IsSongModeOne();
// The mode byte is 1, or the song is in record mode while the clock takes step input.
bool DoesSongAllowStepInput();
