#include "editors/key_commands.h"

#include "shell/dialogs/value_fields.h"

OSStatus HandleKeyCommand(uint8_t ch, EventRecord*) {
  return HandleValueFieldKeyIfActive(ch) ? noErr : OSStatus(-9874);
}
