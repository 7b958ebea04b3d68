// The fast executor for the x86-64 baseline (SSE2).
#define PLIX_SKSL_ISA sse2
#include "sksl/codegen/ExecutorImpl.inl"
