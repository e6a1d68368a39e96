#include "shell/base/event_records.h"

EventRecord gLastEvent;
Point gLastMousePoint;
