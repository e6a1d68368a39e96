// The audio-file commands: the audio processing commands of menu 85 and the audio-file
// commands of the File menu.
#pragma once

#include <cstdint>

// The command of a menu-85 item (items 1-2 pass item - 1, the others their own number).
// Interim: audio processing is not built yet; nothing is changed. Returns 0.
int32_t RunAudioProcessCommand(int32_t n);
// File-menu items 14 and 21 (item 12 is ImportAudioFileCommand). Interim: not built yet;
// nothing is done.
void RunAudioFileCommand14();
void RunAudioFileCommand21(int32_t arg);
// Interim: false while item 21's command is not built.
bool IsAudioFileCommand21Enabled();
