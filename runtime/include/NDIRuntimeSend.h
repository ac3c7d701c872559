/*
    Our runtime's own calls, beside the NDI interface of NDIRuntime.h.

    - Senders: publish a named source and send planar float audio to every
      receiver connected to it. Used by the sender tool and the tests.
    - Observation of a frame synchroniser: its counters, and an observer that
      sees every frame a capture returns. Used by tests, tools and benchmarks.

    Each sender holds the runtime loaded while it exists, so no NDIlib_v5_load()
    call is needed around it.
*/

#pragma once

#include "NDIRuntime.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct NDIrt_send_instance_type* NDIrt_send_instance_t;

/** Publishes a source whose NDI name is "HOST (name)", HOST being this machine's
    host name, to the receivers of this process, of this machine (through the
    runtime directory) and of other machines (through the discovery server of
    the runtime's settings, if any). Its URL address is "tcp://ADDRESS:PORT".
    Returns null when name is null or empty. */
NDIRT_EXPORT NDIrt_send_instance_t NDIrt_send_create (const char* p_name);

/** Sends no_samples samples of each of no_channels channels at sample_rate Hz.
    Channel c begins c * channel_stride_in_bytes bytes after p_data (planar
    float). The samples are copied before the call returns.
    Returns false, sending nothing, when an argument is out of range: a null
    instance or data, a sample rate outside 1..768000, a channel count outside
    1..1024, a negative or too large sample count (more than one second) or a
    stride smaller than no_samples * 4 bytes. A sample count of 0 sends nothing
    and returns true. */
NDIRT_EXPORT bool NDIrt_send_audio (NDIrt_send_instance_t p_instance,
                                    const float* p_data,
                                    int sample_rate,
                                    int no_channels,
                                    int no_samples,
                                    int channel_stride_in_bytes);

/** The source's NDI name, "HOST (name)"; valid until the sender is destroyed. */
NDIRT_EXPORT const char* NDIrt_send_get_ndi_name (NDIrt_send_instance_t p_instance);

/** The receivers getting the source's audio now: those of this process and
    those connected over the network. 0 for a null instance. */
NDIRT_EXPORT int NDIrt_send_get_no_connections (NDIrt_send_instance_t p_instance);

/** Withdraws the source; its receivers stop getting audio. */
NDIRT_EXPORT void NDIrt_send_destroy (NDIrt_send_instance_t p_instance);

/** A snapshot of a frame synchroniser's state. */
typedef struct NDIrt_framesync_stats_t
{
    uint64_t underruns;             /* captures that ran out of buffered audio */
    uint64_t overflows;             /* times the oldest buffered audio was dropped */
    double buffered_ms;             /* audio waiting in the jitter buffer now */
    double target_latency_ms;       /* the fill level the control loop steers to */
    double rate_adjustment;         /* the control loop's correction of the conversion ratio, 1 = none */
    int source_sample_rate;         /* of the audio arriving, 0 before any */
    int source_channels;            /* of the audio arriving, 0 before any */
} NDIrt_framesync_stats_t;

/** Fills *p_stats; returns false (leaving it untouched) for a null argument. */
NDIRT_EXPORT bool NDIrt_framesync_get_stats (NDIlib_framesync_instance_t p_instance, NDIrt_framesync_stats_t* p_stats);

/** Called inside NDIlib_framesync_capture_audio_v2, on the capturing thread, with
    the frame the capture is about to return. The frame must not be changed or
    kept. */
typedef void (*NDIrt_capture_observer_t) (void* p_context,
                                          NDIlib_framesync_instance_t p_instance,
                                          const NDIlib_audio_frame_v3_t* p_frame);

/** Installs one observer for the captures of every frame synchroniser of the
    process, or removes it when p_observer is null. The callback and its
    context are replaced together; once this call returns, the previous
    observer is no longer running and is never called again. An observer must
    not call this function itself. */
NDIRT_EXPORT void NDIrt_set_capture_observer (NDIrt_capture_observer_t p_observer, void* p_context);

#ifdef __cplusplus
}
#endif
