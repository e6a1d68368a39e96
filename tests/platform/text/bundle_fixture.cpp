// A tiny loadable library for the bundle tests.
extern "C" __attribute__((visibility("default"))) int ZarinFixtureAnswer() { return 42; }
