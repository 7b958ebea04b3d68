/* Types of the flat C API of libplix: handles, records passed by pointer, callbacks.
 * Records keep a fixed field order and the platform's natural sizes; enumerations cross as
 * int32_t ordinals and Booleans as one byte. */
#ifndef PLIX_TYPES_H
#define PLIX_TYPES_H

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#if defined(__GNUC__)
#define PLIX_API __attribute__((visibility("default")))
#else
#define PLIX_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* A native object: its address. 0 means "none" as an argument and "failed" as a result. */
typedef uintptr_t plix_handle;

/* ---- streams: the library reads and writes caller streams through these callbacks ---- */

typedef size_t (*plix_stream_get_length_proc)(void* context);
typedef size_t (*plix_stream_get_position_proc)(void* context);
/* Reads up to size bytes into buffer; returns the count read. */
typedef size_t (*plix_stream_read_proc)(void* context, void* buffer, size_t size);
/* Sets the absolute position; returns true on success. */
typedef bool (*plix_stream_seek_proc)(void* context, size_t position);
/* Writes size bytes; returns true on success. */
typedef bool (*plix_wstream_write_proc)(void* context, const void* buffer, size_t size);

typedef struct plix_streamadapter_procs {
    plix_stream_get_length_proc get_length;
    plix_stream_get_position_proc get_position;
    plix_stream_read_proc read;
    plix_stream_seek_proc seek;
} plix_streamadapter_procs;

typedef struct plix_wstreamadapter_procs {
    plix_wstream_write_proc write;
} plix_wstreamadapter_procs;

#ifdef __cplusplus
}
#endif

#endif
