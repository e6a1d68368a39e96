// Stands in for the system library that moves the mouse pointer, counting its calls.
extern "C" {
__attribute__((visibility("default"))) int gWarpCalls = 0;
__attribute__((visibility("default"))) int gSuppressionCalls = 0;
__attribute__((visibility("default"))) float gWarpX = 0, gWarpY = 0;

__attribute__((visibility("default"))) int CGWarpMouseCursorPosition(float x, float y) {
  ++gWarpCalls;
  gWarpX = x;
  gWarpY = y;
  return 0;
}

__attribute__((visibility("default"))) int CGSetLocalEventsSuppressionInterval(double) {
  ++gSuppressionCalls;
  return 0;
}
}
