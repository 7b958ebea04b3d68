// The fast stages and span kernels built for AVX2.
#define PLIX_RASTER_ISA avx2
#include "raster/StagesImpl.inl"
#include "raster/SpanKernelsImpl.inl"
