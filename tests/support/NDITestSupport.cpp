#include "support/NDITestSupport.h"
#include "plugin/GlobalDefs.h"

#include <chrono>
#include <cmath>

namespace test
{
    juce::MemoryBlock savedState (const juce::String& source, const std::vector<ChannelMapping>& map)
    {
        juce::ValueTree tree ("Parameters");
        tree.setProperty (ConnectedSourceName, source, nullptr);
        tree.setProperty (ChannelMap, VectorToJuceVar (map), nullptr);

        juce::MemoryBlock block;
        juce::MemoryOutputStream stream (block, false);
        tree.writeToStream (stream);
        return block;
    }

    size_t bankSize (NDIReceiver& receiver)
    {
        const juce::ScopedLock lock (receiver.fifoLock);
        return receiver.channelFifos.size();
    }

    bool pumpUntil (const std::function<bool()>& condition, int timeoutMs)
    {
        const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;

        while (! condition())
        {
            if (juce::Time::getMillisecondCounter() > end)
                return false;

            juce::MessageManager::getInstance()->runDispatchLoopUntil (5);
        }

        return true;
    }

    bool waitUntil (const std::function<bool()>& condition, int timeoutMs)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds (timeoutMs);

        while (! condition())
        {
            if (std::chrono::steady_clock::now() > end)
                return false;

            std::this_thread::sleep_for (std::chrono::microseconds (200));
        }

        return true;
    }

    //==============================================================================
    RealTimeSource::RealTimeSource (const std::string& name, int rate, int channels, Signal sig)
        : sender (NDIrt_send_create (name.c_str())),
          sampleRate (rate),
          numChannels (channels),
          signal (std::move (sig)),
          thread ([this] { run(); })
    {
    }

    RealTimeSource::~RealTimeSource()
    {
        shouldStop = true;
        thread.join();
        NDIrt_send_destroy (sender);
    }

    std::string RealTimeSource::ndiName() const
    {
        return NDIrt_send_get_ndi_name (sender);
    }

    RealTimeSource::Signal RealTimeSource::constantLevels (std::vector<float> levels)
    {
        return [levels] (int channel, int64_t) { return levels[(size_t) channel]; };
    }

    RealTimeSource::Signal RealTimeSource::sines()
    {
        return [] (int channel, int64_t index)
        {
            return 0.5f * (float) std::sin (0.0131 * (double) index * (channel + 1) + channel);
        };
    }

    void RealTimeSource::run()
    {
        using namespace std::chrono;

        const int blockSize = sampleRate / 1000;
        std::vector<float> block ((size_t) (blockSize * numChannels));
        const auto start = steady_clock::now();
        int64_t sent = 0;

        while (! shouldStop)
        {
            for (int c = 0; c < numChannels; ++c)
                for (int i = 0; i < blockSize; ++i)
                    block[(size_t) (c * blockSize + i)] = signal (c, sent + i);

            NDIrt_send_audio (sender, block.data(), sampleRate, numChannels, blockSize, blockSize * (int) sizeof (float));
            sent += blockSize;

            std::this_thread::sleep_until (start + microseconds (sent * 1000000 / sampleRate));
        }
    }

    //==============================================================================
    CaptureRecorder::CaptureRecorder()    { NDIrt_set_capture_observer (&CaptureRecorder::observe, this); }
    CaptureRecorder::~CaptureRecorder()   { NDIrt_set_capture_observer (nullptr, nullptr); }

    size_t CaptureRecorder::size() const
    {
        const std::lock_guard<std::mutex> guard (lock);
        return recorded.size();
    }

    std::vector<CaptureRecorder::Frame> CaptureRecorder::frames() const
    {
        const std::lock_guard<std::mutex> guard (lock);
        return recorded;
    }

    int CaptureRecorder::lastNumSamples() const
    {
        const std::lock_guard<std::mutex> guard (lock);
        return recorded.empty() ? -1 : recorded.back().numSamples;
    }

    void CaptureRecorder::observe (void* context, NDIlib_framesync_instance_t, const NDIlib_audio_frame_v3_t* frame)
    {
        auto& self = *static_cast<CaptureRecorder*> (context);
        Frame copy;
        copy.numChannels = frame->no_channels;
        copy.numSamples = frame->no_samples;

        for (int c = 0; c < frame->no_channels && frame->p_data != nullptr; ++c)
        {
            const auto* data = reinterpret_cast<const float*> (frame->p_data + (size_t) c * (size_t) frame->channel_stride_in_bytes);
            copy.channels.emplace_back (data, data + frame->no_samples);
        }

        const std::lock_guard<std::mutex> guard (self.lock);
        self.recorded.push_back (std::move (copy));
    }
}
