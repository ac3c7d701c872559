#pragma once

#include "plugin/PluginProcessor.h"
#include "support/NDITestSupport.h"

#include <chrono>
#include <thread>

namespace test
{
    /**
        Plays the host's part for a processor: calls processBlock from its own
        "audio" thread at a real-time pace, one block per size given, and keeps
        every output sample. The calling (message) thread runs the message loop
        meanwhile, so the receiver's timer and listener calls go on as in a host.

        With a CaptureRecorder, each block also waits until the receiver has
        answered its request, so that block k + 1 always plays the answer to
        block k: the pacing of a host whose callbacks are far apart compared with
        the receiver's 1 ms poll.
    */
    class HostThread
    {
    public:
        HostThread (NDIReceiverAudioProcessor& p, double rate, int maxBlockSize, int numOutputs = 2)
            : processor (p), sampleRate (rate), outputs ((size_t) numOutputs)
        {
            processor.prepareToPlay (sampleRate, maxBlockSize);
        }

        void play (const std::vector<int>& blockSizes, const CaptureRecorder* recorder = nullptr)
        {
            std::atomic<bool> done { false };

            std::thread audio ([&]
            {
                const auto start = std::chrono::steady_clock::now();
                int64_t played = 0;

                for (auto n : blockSizes)
                {
                    juce::AudioBuffer<float> buffer ((int) outputs.size(), n);

                    // The input bus carries something the plug-in must discard.
                    for (int c = 0; c < buffer.getNumChannels(); ++c)
                        juce::FloatVectorOperations::fill (buffer.getWritePointer (c), 0.75f, n);

                    const auto capturesBefore = recorder != nullptr ? recorder->size() : 0;
                    processBlock (buffer);
                    sizes.push_back (n);

                    for (size_t c = 0; c < outputs.size(); ++c)
                        outputs[c].insert (outputs[c].end(), buffer.getReadPointer ((int) c), buffer.getReadPointer ((int) c) + n);

                    if (recorder != nullptr && processor.receiver.isThreadRunning())
                        waitForAnswer (*recorder, capturesBefore, n);

                    played += n;
                    std::this_thread::sleep_until (start + std::chrono::microseconds ((int64_t) ((double) played * 1.0e6 / sampleRate)));
                }

                done = true;
            });

            pumpUntil ([&] { return done.load(); }, 120000);
            audio.join();
        }

        /** Runs one processBlock; a subclass may watch the call. */
        std::function<void (juce::AudioBuffer<float>&)> processBlock = [this] (juce::AudioBuffer<float>& buffer)
        {
            juce::MidiBuffer midi;
            processor.processBlock (buffer, midi);
        };

        NDIReceiverAudioProcessor& processor;
        const double sampleRate;
        std::vector<std::vector<float>> outputs;    // every sample played, per output channel
        std::vector<int> sizes;                     // every block size played

    private:
        void waitForAnswer (const CaptureRecorder& recorder, size_t capturesBefore, int n)
        {
            waitUntil ([&] { return recorder.size() > capturesBefore; }, 2000);

            // The samples of a full answer are pushed right after the capture.
            waitUntil ([&]
            {
                const juce::ScopedLock lock (processor.receiver.fifoLock);
                const auto& fifos = processor.receiver.channelFifos;
                return fifos.empty() || fifos[0]->getNumReady() >= n || recorder.lastNumSamples() != n;
            }, 200);
        }
    };
}
