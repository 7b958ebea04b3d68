// The fast executor for AVX-512 (built with -mavx512f -mavx512dq -mavx512vl -mavx512bw; run only
// where the CPU has them).
#define PLIX_SKSL_ISA avx512
#include "sksl/codegen/ExecutorImpl.inl"
