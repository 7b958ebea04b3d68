// The fast stages, span kernels and 8-bit kernels built for SSE2.
#define PLIX_RASTER_ISA sse2
#include "raster/StagesImpl.inl"
#include "raster/SpanKernelsImpl.inl"
#include "raster/LowpKernelsImpl.inl"
