#include "performance/performance_menu_services.h"

void RunPerformanceOptionDialog() {}
