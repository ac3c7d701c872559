/*
    The NDI runtime interface the plug-in is written against.

    These are the calls and records the plug-in's discovery and receive path use,
    with the same names and layouts the plug-in expects from an NDI runtime.
    Our own runtime library (libndiruntime) implements them, carrying audio
    between threads, processes and machines.

    Seven functions are exported by name; the rest are reached through the
    function table that NDIlib_v5_load() returns.

    Texts are UTF-8 and NUL-terminated. Every handle is owned by the caller that
    created it and must be destroyed through the matching call.
*/

#pragma once

#include <stdbool.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
 #define NDIRT_EXPORT __declspec(dllexport)
#else
 #define NDIRT_EXPORT __attribute__((visibility ("default")))
#endif

typedef struct NDIlib_find_instance_type*      NDIlib_find_instance_t;
typedef struct NDIlib_recv_instance_type*      NDIlib_recv_instance_t;
typedef struct NDIlib_framesync_instance_type* NDIlib_framesync_instance_t;

/** One source as discovered: its NDI name ("HOST (Name)"), its URL address and
    a third, free text. Any of them may be null. */
typedef struct NDIlib_source_t
{
    const char* p_ndi_name;
    const char* p_url_address;
    const char* p_extra_info;
} NDIlib_source_t;

typedef struct NDIlib_find_create_t
{
    bool show_local_sources;
    const char* p_groups;       /* null: the default groups */
    const char* p_extra_ips;    /* null: none */
} NDIlib_find_create_t;

typedef enum NDIlib_recv_color_format_e
{
    NDIlib_recv_color_format_BGRX_BGRA = 0,
    NDIlib_recv_color_format_UYVY_BGRA = 1,
    NDIlib_recv_color_format_max       = 0x7fffffff
} NDIlib_recv_color_format_e;

typedef enum NDIlib_recv_bandwidth_e
{
    NDIlib_recv_bandwidth_metadata_only = -10,
    NDIlib_recv_bandwidth_audio_only    = 10,
    NDIlib_recv_bandwidth_lowest        = 0,
    NDIlib_recv_bandwidth_highest       = 100,
    NDIlib_recv_bandwidth_max           = 0x7fffffff
} NDIlib_recv_bandwidth_e;

typedef struct NDIlib_recv_create_v3_t
{
    NDIlib_source_t source_to_connect_to;
    NDIlib_recv_color_format_e color_format;
    NDIlib_recv_bandwidth_e bandwidth;
    bool allow_video_fields;
    const char* p_ndi_recv_name;
} NDIlib_recv_create_v3_t;

#define NDI_LIB_FOURCC(a, b, c, d) \
    ((uint32_t) (uint8_t) (a) | ((uint32_t) (uint8_t) (b) << 8) | ((uint32_t) (uint8_t) (c) << 16) | ((uint32_t) (uint8_t) (d) << 24))

typedef enum NDIlib_FourCC_audio_type_e
{
    /** Planar 32-bit float: each channel's samples back to back. */
    NDIlib_FourCC_audio_type_FLTP = NDI_LIB_FOURCC ('F', 'L', 'T', 'p'),
    NDIlib_FourCC_audio_type_max  = 0x7fffffff
} NDIlib_FourCC_audio_type_e;

/** The largest signed 64-bit value: "no timecode, let the runtime choose". */
#define NDIlib_send_timecode_synthesize INT64_MAX

typedef struct NDIlib_audio_frame_v3_t
{
    int sample_rate;
    int no_channels;
    int no_samples;
    int64_t timecode;
    NDIlib_FourCC_audio_type_e FourCC;
    uint8_t* p_data;
    int channel_stride_in_bytes;
    const char* p_metadata;
    int64_t timestamp;
} NDIlib_audio_frame_v3_t;

/** The function table. */
typedef struct NDIlib_v5
{
    /** Releases what NDIlib_v5_load() acquired: the last call of each user. */
    void (*destroy) (void);

    /** Waits up to timeout_in_ms for the finder's list to change; true when it did. */
    bool (*find_wait_for_sources) (NDIlib_find_instance_t p_instance, uint32_t timeout_in_ms);
    void (*find_destroy) (NDIlib_find_instance_t p_instance);

    void (*recv_destroy) (NDIlib_recv_instance_t p_instance);

    NDIlib_framesync_instance_t (*framesync_create) (NDIlib_recv_instance_t p_receiver);
    void (*framesync_free_audio_v2) (NDIlib_framesync_instance_t p_instance, NDIlib_audio_frame_v3_t* p_audio_data);
} NDIlib_v5;

/** The function table, valid while the caller lives. Each call must be paired
    with one call of the table's destroy(). */
NDIRT_EXPORT const NDIlib_v5* NDIlib_v5_load (void);

NDIRT_EXPORT NDIlib_find_instance_t NDIlib_find_create_v3 (const NDIlib_find_create_t* p_create_settings,
                                                           const char* p_config_data);

/** The current list: *p_no_sources records, owned by the finder and valid until
    the next call on it or its destruction. */
NDIRT_EXPORT const NDIlib_source_t* NDIlib_find_get_current_sources_v2 (NDIlib_find_instance_t p_instance,
                                                                         uint32_t* p_no_sources);

/** A receiver that connects, and keeps reconnecting, to the source named by
    source_to_connect_to.p_ndi_name. */
NDIRT_EXPORT NDIlib_recv_instance_t NDIlib_recv_create_v4 (const NDIlib_recv_create_v3_t* p_create_settings,
                                                           const char* p_config_data);

/** Returns at once. Fills p_audio_data with planar float audio: no_samples
    samples per channel at sample_rate and the source's channel count, or with
    zero channels while no audio of the connection has arrived. The frame must be
    released with framesync_free_audio_v2. */
NDIRT_EXPORT void NDIlib_framesync_capture_audio_v2 (NDIlib_framesync_instance_t p_instance,
                                                     NDIlib_audio_frame_v3_t* p_audio_data,
                                                     int sample_rate,
                                                     int no_channels,
                                                     int no_samples);

NDIRT_EXPORT void NDIlib_framesync_destroy (NDIlib_framesync_instance_t p_instance);

/** The runtime's version text; its last five characters are the version number. */
NDIRT_EXPORT const char* NDIlib_version (void);

#ifdef __cplusplus
}
#endif
