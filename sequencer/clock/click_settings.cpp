#include "sequencer/clock/click_settings.h"

ClickSettings gClickSettings;
