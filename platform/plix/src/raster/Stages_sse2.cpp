// The fast stages and span kernels built for SSE2.
#define PLIX_RASTER_ISA sse2
#include "raster/StagesImpl.inl"
#include "raster/SpanKernelsImpl.inl"
