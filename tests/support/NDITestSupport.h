#pragma once

#include "common/ChannelMapping.h"
#include "ndi/NDIReceiver.h"

#include <NDIRuntimeSend.h>

#include <juce_data_structures/juce_data_structures.h>
#include <juce_events/juce_events.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace test
{
    /** The plug-in's saved state naming a source and a routing, as
        getStateInformation writes it. */
    juce::MemoryBlock savedState (const juce::String& source, const std::vector<ChannelMapping>& map);

    /** How many channel FIFOs the receiver's bank holds now, read under the
        lock that guards the bank against the receiver thread. */
    size_t bankSize (NDIReceiver& receiver);

    /** Runs the message loop until `condition` holds or `timeoutMs` passes;
        returns whether it held. */
    bool pumpUntil (const std::function<bool()>& condition, int timeoutMs = 5000);

    /** Waits, without running the message loop, until `condition` holds or
        `timeoutMs` passes; returns whether it held. */
    bool waitUntil (const std::function<bool()>& condition, int timeoutMs = 5000);

    /** A named NDI source in this process that sends audio in real time from
        its own thread, in blocks of 1 ms. Channel c's sample i is signal (c, i). */
    class RealTimeSource
    {
    public:
        using Signal = std::function<float (int channel, int64_t index)>;

        RealTimeSource (const std::string& name, int sampleRate, int numChannels, Signal signal);
        ~RealTimeSource();

        std::string ndiName() const;

        static Signal constantLevels (std::vector<float> levels);
        static Signal sines();

    private:
        void run();

        NDIrt_send_instance_t sender = nullptr;
        const int sampleRate, numChannels;
        const Signal signal;
        std::atomic<bool> shouldStop { false };
        std::thread thread;
    };

    /** Records every frame the runtime's frame synchronisers return from a
        capture, while it exists. */
    class CaptureRecorder
    {
    public:
        struct Frame
        {
            int numChannels = 0;
            int numSamples = 0;
            std::vector<std::vector<float>> channels;
        };

        CaptureRecorder();
        ~CaptureRecorder();

        size_t size() const;
        std::vector<Frame> frames() const;
        int lastNumSamples() const;     // of the newest frame, -1 before any

    private:
        static void observe (void* context, NDIlib_framesync_instance_t, const NDIlib_audio_frame_v3_t* frame);

        mutable std::mutex lock;
        std::vector<Frame> recorded;
    };
}
