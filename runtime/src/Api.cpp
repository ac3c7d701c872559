// The C entry points: NDIRuntime.h and NDIRuntimeSend.h over the runtime's classes.

#include "Finder.h"
#include "FrameSync.h"
#include "Receiver.h"
#include "Runtime.h"
#include "Sender.h"

#include "NDIRuntime.h"
#include "NDIRuntimeSend.h"

#include <mutex>

using namespace ndirt;

namespace
{
    /** A frame synchroniser attached to its receiver for its whole life. */
    struct FrameSyncInstance
    {
        explicit FrameSyncInstance (Receiver& r) : receiver (r)  { receiver.setSink (&sync); }
        ~FrameSyncInstance()                                     { receiver.setSink (nullptr); }

        RuntimeReference runtime;
        Receiver& receiver;
        FrameSync sync;
    };

    template <typename Object, typename Handle>
    Object* from (Handle handle)  { return reinterpret_cast<Object*> (handle); }

    template <typename Handle, typename Object>
    Handle toHandle (Object* object)  { return reinterpret_cast<Handle> (object); }

    // The capture observer; its lock is held while it runs, so replacing it
    // waits for a running call to end.
    std::mutex observerLock;
    NDIrt_capture_observer_t captureObserver = nullptr;
    void* captureObserverContext = nullptr;

    void destroyLibrary()  { Runtime::release (Runtime::User::library); }

    bool findWaitForSources (NDIlib_find_instance_t instance, uint32_t timeoutMs)
    {
        return instance != nullptr && from<Finder> (instance)->waitForSources (timeoutMs);
    }

    void findDestroy (NDIlib_find_instance_t instance)  { delete from<Finder> (instance); }

    void recvDestroy (NDIlib_recv_instance_t instance)  { delete from<Receiver> (instance); }

    NDIlib_framesync_instance_t framesyncCreate (NDIlib_recv_instance_t receiver)
    {
        if (receiver == nullptr)
            return nullptr;

        return toHandle<NDIlib_framesync_instance_t> (new FrameSyncInstance (*from<Receiver> (receiver)));
    }

    void framesyncFreeAudio (NDIlib_framesync_instance_t, NDIlib_audio_frame_v3_t* frame)
    {
        if (frame != nullptr)
            FrameSync::freeFrame (*frame);
    }

    const NDIlib_v5 functionTable {
        destroyLibrary,
        findWaitForSources,
        findDestroy,
        recvDestroy,
        framesyncCreate,
        framesyncFreeAudio
    };
}

extern "C"
{

const NDIlib_v5* NDIlib_v5_load()
{
    Runtime::acquire (Runtime::User::library);
    return &functionTable;
}

NDIlib_find_instance_t NDIlib_find_create_v3 (const NDIlib_find_create_t* settings, const char*)
{
    const bool showLocal = settings == nullptr || settings->show_local_sources;
    return toHandle<NDIlib_find_instance_t> (new Finder (showLocal));
}

const NDIlib_source_t* NDIlib_find_get_current_sources_v2 (NDIlib_find_instance_t instance, uint32_t* count)
{
    uint32_t ignored = 0;
    auto& result = count != nullptr ? *count : ignored;

    if (instance == nullptr)
    {
        result = 0;
        return nullptr;
    }

    return from<Finder> (instance)->getCurrentSources (result);
}

NDIlib_recv_instance_t NDIlib_recv_create_v4 (const NDIlib_recv_create_v3_t* settings, const char*)
{
    if (settings == nullptr || settings->source_to_connect_to.p_ndi_name == nullptr)
        return nullptr;

    const auto text = [] (const char* s) { return std::string (s != nullptr ? s : ""); };

    return toHandle<NDIlib_recv_instance_t> (new Receiver (settings->source_to_connect_to.p_ndi_name,
                                                           text (settings->source_to_connect_to.p_url_address),
                                                           text (settings->p_ndi_recv_name)));
}

void NDIlib_framesync_capture_audio_v2 (NDIlib_framesync_instance_t instance,
                                        NDIlib_audio_frame_v3_t* frame,
                                        int sampleRate,
                                        int numChannels,
                                        int numSamples)
{
    if (frame == nullptr)
        return;

    if (instance == nullptr)
    {
        // Nothing to capture from: an empty frame, as before any audio.
        *frame = {};
        frame->sample_rate = sampleRate;
        frame->FourCC = NDIlib_FourCC_audio_type_FLTP;
        return;
    }

    from<FrameSyncInstance> (instance)->sync.capture (*frame, sampleRate, numChannels, numSamples);

    const std::lock_guard<std::mutex> guard (observerLock);

    if (captureObserver != nullptr)
        captureObserver (captureObserverContext, instance, frame);
}

void NDIlib_framesync_destroy (NDIlib_framesync_instance_t instance)
{
    delete from<FrameSyncInstance> (instance);
}

const char* NDIlib_version()
{
    return "NDI Receiver Runtime 1.0.0";
}

NDIrt_send_instance_t NDIrt_send_create (const char* name)
{
    if (name == nullptr || name[0] == 0)
        return nullptr;

    return toHandle<NDIrt_send_instance_t> (new Sender (name));
}

bool NDIrt_send_audio (NDIrt_send_instance_t instance, const float* data, int sampleRate,
                       int numChannels, int numSamples, int channelStrideBytes)
{
    return instance != nullptr
        && from<Sender> (instance)->send (data, sampleRate, numChannels, numSamples, channelStrideBytes);
}

int NDIrt_send_get_no_connections (NDIrt_send_instance_t instance)
{
    return instance != nullptr ? from<Sender> (instance)->getNumConnections() : 0;
}

const char* NDIrt_send_get_ndi_name (NDIrt_send_instance_t instance)
{
    return instance != nullptr ? from<Sender> (instance)->getNdiName().c_str() : nullptr;
}

void NDIrt_send_destroy (NDIrt_send_instance_t instance)
{
    delete from<Sender> (instance);
}

bool NDIrt_framesync_get_stats (NDIlib_framesync_instance_t instance, NDIrt_framesync_stats_t* stats)
{
    if (instance == nullptr || stats == nullptr)
        return false;

    *stats = from<FrameSyncInstance> (instance)->sync.getStats();
    return true;
}

void NDIrt_set_capture_observer (NDIrt_capture_observer_t observer, void* context)
{
    const std::lock_guard<std::mutex> guard (observerLock);
    captureObserver = observer;
    captureObserverContext = context;
}

} // extern "C"
