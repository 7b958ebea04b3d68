// The fast stages, span kernels and 8-bit kernels built for AVX2.
#define PLIX_RASTER_ISA avx2
#include "raster/StagesImpl.inl"
#include "raster/SpanKernelsImpl.inl"
#include "raster/LowpKernelsImpl.inl"
