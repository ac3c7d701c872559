#include "ndi/NDIReceiver.h"

NDIReceiver::NDIReceiver()
    : juce::Thread ("NDIReceiver")
{
    ndiLib = NDIlib_v5_load();
    startTimer (16);
}

NDIReceiver::~NDIReceiver()
{
    stopTimer();
    stopThread (1000);
    closeConnection();
    isBroadcasting = false;

    if (ndiLib != nullptr)
        ndiLib->destroy();
}

void NDIReceiver::changeSource (const NDISourceEntry& source)
{
    if (source == currentSource)
    {
        sendBroadcastingState();
        return;
    }

    stopThread (500);
    closeConnection();
    isBroadcasting = false;

    // The old connection has ended. Say so now: a new one can begin within a
    // single timer tick, and the tick would then see no change to report,
    // leaving listeners with the old source's channel count.
    if (broadcastingState)
    {
        broadcastingState = false;
        sendBroadcastingState();
    }

    currentSource = source;
    receiverName = source.name + " Receiver";

    if (ndiLib == nullptr)
        return;

    const auto sourceName = source.name.toStdString();
    const auto ownName = receiverName.toStdString();

    NDIlib_recv_create_v3_t settings {};
    settings.source_to_connect_to = { sourceName.c_str(), nullptr, nullptr };
    settings.color_format = NDIlib_recv_color_format_UYVY_BGRA;
    settings.bandwidth = NDIlib_recv_bandwidth_audio_only;
    settings.allow_video_fields = false;
    settings.p_ndi_recv_name = ownName.c_str();

    ndiReceiver = NDIlib_recv_create_v4 (&settings, nullptr);

    if (ndiReceiver != nullptr)
        frameSync = ndiLib->framesync_create (ndiReceiver);

    // Without a receiver and a synchroniser there is nothing to capture from:
    // the thread stays stopped and the output stays silent.
    if (frameSync == nullptr)
    {
        closeConnection();
        return;
    }

    startThread (juce::Thread::Priority::normal);
}

void NDIReceiver::closeConnection()
{
    if (frameSync != nullptr)
        NDIlib_framesync_destroy (frameSync);

    if (ndiReceiver != nullptr)
        ndiLib->recv_destroy (ndiReceiver);

    frameSync = nullptr;
    ndiReceiver = nullptr;
}

void NDIReceiver::sendBroadcastingState()
{
    if (broadcastingState)
    {
        const auto channels = numChannels.load();
        listeners.call ([channels] (Listener& l) { l.audioBroadcastingHasBegun (channels); });
    }
    else
    {
        listeners.call ([] (Listener& l) { l.audioBroadcastingHasEnded(); });
    }
}

void NDIReceiver::timerCallback()
{
    const bool broadcasting = isBroadcasting;

    if (broadcasting != broadcastingState)
    {
        broadcastingState = broadcasting;
        sendBroadcastingState();
    }
}

void NDIReceiver::run()
{
    // Requests posted while no connection was running belong to no audio of
    // this connection. Answering them would put every later block that many
    // callbacks behind, so the connection starts with the next request.
    for (int stale = 0; requestFifo.pull (stale);)
    {
    }

    std::vector<float> scratch;

    while (! threadShouldExit())
    {
        int numSamples = 0;

        if (requestFifo.pull (numSamples))
            answerRequest (numSamples, scratch);

        if (threadShouldExit())
            break;

        wait (1);
    }
}

void NDIReceiver::answerRequest (int numSamples, std::vector<float>& scratch)
{
    NDIlib_audio_frame_v3_t frame {};
    frame.sample_rate = 48000;
    frame.no_channels = 2;
    frame.no_samples = 0;
    frame.timecode = NDIlib_send_timecode_synthesize;
    frame.FourCC = NDIlib_FourCC_audio_type_FLTP;
    frame.p_data = nullptr;
    frame.channel_stride_in_bytes = 0;
    frame.p_metadata = nullptr;
    frame.timestamp = 0;

    NDIlib_framesync_capture_audio_v2 (frameSync, &frame, sampleRate.load(), 0, numSamples);

    const auto channels = frame.no_channels;
    const auto samples = frame.no_samples;
    numChannels = channels;

    if (channels > 0 && samples > 0 && samples == numSamples)
    {
        isBroadcasting = true;

        if ((int) channelFifos.size() != channels)
            rebuildChannelFifos (channels);

        // Planar float: channel c starts c strides into the data. A frame laid
        // out any other way is not read.
        if (frame.p_data != nullptr && frame.channel_stride_in_bytes == samples * (int) sizeof (float))
        {
            scratch.resize ((size_t) samples);

            for (int c = 0; c < channels; ++c)
            {
                const auto* channelData = reinterpret_cast<const float*> (frame.p_data + (size_t) c * (size_t) frame.channel_stride_in_bytes);
                std::copy_n (channelData, samples, scratch.begin());
                channelFifos[(size_t) c]->push (scratch);
            }
        }
    }

    ndiLib->framesync_free_audio_v2 (frameSync, &frame);
}

void NDIReceiver::rebuildChannelFifos (int channels)
{
    const juce::ScopedLock lock (fifoLock);

    channelFifos.clear();
    channelFifos.reserve ((size_t) channels);

    for (int c = 0; c < channels; ++c)
        channelFifos.push_back (std::make_unique<ChannelFifo>());
}
