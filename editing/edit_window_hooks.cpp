#include "editing/edit_window_hooks.h"

EditWindowHooks gEditWindowHooks;

void SendTextWindowCommand(uint32_t command) {
  if (gEditWindowHooks.textWindowCommand) gEditWindowHooks.textWindowCommand(command);
}

void SendJukeboxEditItem(int16_t item) {
  if (gEditWindowHooks.jukeboxEditItem) gEditWindowHooks.jukeboxEditItem(item);
}
