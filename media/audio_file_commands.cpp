#include "media/audio_file_commands.h"

int32_t RunAudioProcessCommand(int32_t) { return 0; }

void RunAudioFileCommand14() {}
void RunAudioFileCommand21(int32_t) {}

bool IsAudioFileCommand21Enabled() { return false; }
