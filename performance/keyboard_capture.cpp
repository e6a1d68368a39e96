#include "performance/keyboard_capture.h"

bool gKeyboardCapture = false;

void SetKeyboardCapture(bool on) { gKeyboardCapture = on; }
