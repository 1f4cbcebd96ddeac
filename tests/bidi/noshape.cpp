// A bidirectional-text library that exports something, but not StringShape.
extern "C" __attribute__((visibility("default"))) int KVBiDiVersion() { return 11; }
