#pragma once

#include "common/Fifo.h"
#include "ndi/NDISourceEntry.h"

#include <NDIRuntime.h>

#include <juce_events/juce_events.h>

#include <atomic>
#include <memory>
#include <vector>

/**
    Receives the audio of one NDI source at a time for the audio thread.

    The audio thread posts the sample count of each callback into requestFifo.
    The receiver thread, polling about once a millisecond, answers each request
    in order with exactly that many samples per channel, captured from the NDI
    frame synchroniser at the host's sample rate, and pushes them into one
    lock-free FIFO per received channel, from which a later callback pulls them.

    The timer tells listeners, on the message thread, when audio starts arriving
    from a new connection ("broadcasting") and when the connection goes away.
*/
class NDIReceiver : public juce::Thread,
                    public juce::Timer
{
public:
    class Listener
    {
    public:
        virtual ~Listener() = default;
        virtual void audioBroadcastingHasBegun (int numChannels) = 0;
        virtual void audioBroadcastingHasEnded() = 0;
    };

    using ChannelFifo = Fifo<float, 10240, true>;

    NDIReceiver();
    ~NDIReceiver() override;

    /** Connects to `source`, message thread only. Asked for the source that is
        already connected, it only reports the current state again. */
    void changeSource (const NDISourceEntry& source);

    /** Reports the last reported broadcasting state to every listener. */
    void sendBroadcastingState();

    void addListener (Listener* listener)       { listeners.add (listener); }
    void removeListener (Listener* listener)    { listeners.remove (listener); }

    /** True once a complete frame has been captured since the connection was made. */
    std::atomic<bool> isBroadcasting { false };

    /** One FIFO of samples per received channel. Its structure is changed only by
        the receiver thread under fifoLock; the audio thread uses a FIFO only while
        holding fifoLock. */
    std::vector<std::unique_ptr<ChannelFifo>> channelFifos;

    /** The host's sample rate in Hz, stored by the processor's prepareToPlay. */
    std::atomic<int> sampleRate { 0 };

    /** The channel count of the last captured frame. */
    std::atomic<int> numChannels { 0 };

    /** The state last reported to listeners; message thread only. */
    bool broadcastingState = true;

    /** Sample counts posted by the audio thread, one per callback. */
    Fifo<int, 50, true> requestFifo;

    /** The source of the current connection. */
    NDISourceEntry currentSource;

    const NDIlib_v5* ndiLib = nullptr;
    NDIlib_recv_instance_t ndiReceiver = nullptr;
    NDIlib_framesync_instance_t frameSync = nullptr;

    /** This receiver's own NDI name: the source's name followed by " Receiver". */
    juce::String receiverName;

    /** Guards the structure of channelFifos between the receiver and audio threads. */
    juce::CriticalSection fifoLock;

    juce::ListenerList<Listener> listeners;

private:
    void run() override;
    void timerCallback() override;

    void closeConnection();
    void answerRequest (int numSamples, std::vector<float>& scratch);
    void rebuildChannelFifos (int channels);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (NDIReceiver)
};
