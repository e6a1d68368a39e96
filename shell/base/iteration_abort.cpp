#include "shell/base/iteration_abort.h"

uint8_t gIterationAbort = 0;
