// The fast executor for AVX2 with FMA (built with -mavx2 -mfma; run only where the CPU has them).
#define PLIX_SKSL_ISA avx2
#include "sksl/codegen/ExecutorImpl.inl"
