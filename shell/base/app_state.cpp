#include "shell/base/app_state.h"

uint16_t gAppState[kAppStateWords] = {};
