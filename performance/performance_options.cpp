#include "performance/performance_options.h"

void RunPerformanceOptionDialog() {}
