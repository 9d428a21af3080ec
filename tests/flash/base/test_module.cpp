// Loaded by the dynamic-library tests.
extern "C" __attribute__((visibility("default"))) int flash_module_init(int value) { return value * 2; }
