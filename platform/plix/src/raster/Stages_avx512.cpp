// The fast stages and span kernels built for AVX512.
#define PLIX_RASTER_ISA avx512
#include "raster/StagesImpl.inl"
#include "raster/SpanKernelsImpl.inl"
