#include "shell/event_records.h"

EventRecord gLastEvent;
Point gLastMousePoint;
