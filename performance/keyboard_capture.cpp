#include "performance/keyboard_capture.h"

bool gKeyboardCapture = false;
uint8_t gCapturedKeyMap[16] = {};

void SetKeyboardCapture(bool on) { gKeyboardCapture = on; }
