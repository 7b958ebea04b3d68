// The fast stages, span kernels and 8-bit kernels built for AVX512.
#define PLIX_RASTER_ISA avx512
#include "raster/StagesImpl.inl"
#include "raster/SpanKernelsImpl.inl"
#include "raster/LowpKernelsImpl.inl"
