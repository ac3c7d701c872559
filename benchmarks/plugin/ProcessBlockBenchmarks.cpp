/*
    processBlock's cost per block, against the least the same work can cost:
    copying the same samples through the same delay lines. Both are measured
    in the CPU time of the calling thread.

    The receiver thread is played by the benchmark itself, which fills each
    channel's FIFO with one block before every timed call, so only the audio
    thread's work is timed. Printed per block: processBlock's time, the copy's
    time ("copy_ns") and their ratio ("ratio").
*/

#include "plugin/PluginProcessor.h"

#include <benchmark/benchmark.h>

#include <ctime>

namespace
{
    using DelayLine = juce::dsp::DelayLine<float, juce::dsp::DelayLineInterpolationTypes::Linear>;

    // The CPU time of this thread: what the work costs, whatever else the
    // machine is doing.
    double threadSeconds()
    {
        timespec now {};
        clock_gettime (CLOCK_THREAD_CPUTIME_ID, &now);
        return (double) now.tv_sec + 1.0e-9 * (double) now.tv_nsec;
    }

    void processBlock (benchmark::State& state)
    {
        const auto numChannels = (int) state.range (0);
        const auto blockSize = (int) state.range (1);
        constexpr double sampleRate = 48000.0;
        constexpr int numOutputs = 2;

        NDIReceiverAudioProcessor processor;
        processor.prepareToPlay (sampleRate, blockSize);

        auto& receiver = processor.receiver;

        {
            const juce::ScopedLock lock (receiver.fifoLock);

            for (int c = 0; c < numChannels; ++c)
                receiver.channelFifos.push_back (std::make_unique<NDIReceiver::ChannelFifo>());
        }

        receiver.numChannels = numChannels;

        std::vector<ChannelMapping> map;

        for (int c = 0; c < numChannels; ++c)
            map.push_back ({ c, c % numOutputs });

        processor.handOverChannelMapping (map);

        // The same copy, done as simply as it can be.
        std::vector<DelayLine> delayLines ((size_t) numChannels);

        for (auto& line : delayLines)
        {
            line.prepare ({ sampleRate, (juce::uint32) blockSize, 1 });
            line.setMaximumDelayInSamples (240);
            line.setDelay (240.0f);
        }

        std::vector<float> samples ((size_t) blockSize);

        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] = (float) std::sin (0.01 * (double) i);

        juce::AudioBuffer<float> buffer (numOutputs, blockSize);
        juce::MidiBuffer midi;
        double copySeconds = 0.0, processSeconds = 0.0;

        for (auto _ : state)
        {
            for (auto& fifo : receiver.channelFifos)
                fifo->push (samples);

            auto start = threadSeconds();
            processor.processBlock (buffer, midi);
            const auto processTime = threadSeconds() - start;

            start = threadSeconds();

            for (int c = 0; c < numChannels; ++c)
            {
                auto* out = buffer.getWritePointer (c % numOutputs);
                auto& line = delayLines[(size_t) c];

                for (int i = 0; i < blockSize; ++i)
                {
                    line.pushSample (0, samples[(size_t) i]);
                    out[i] = line.popSample (0);
                }
            }

            benchmark::ClobberMemory();
            const auto copyTime = threadSeconds() - start;

            state.SetIterationTime (processTime);
            processSeconds += processTime;
            copySeconds += copyTime;
        }

        const auto iterations = (double) state.iterations();
        state.counters["copy_ns"] = copySeconds / iterations * 1.0e9;
        state.counters["ratio"] = processSeconds / copySeconds;
        state.SetItemsProcessed (state.iterations() * numChannels * blockSize);
    }
}

BENCHMARK (processBlock)
    ->ArgNames ({ "channels", "block" })
    ->ArgsProduct ({ { 2, 8, 64 }, { 64, 512, 4096 } })
    ->UseManualTime()
    ->Unit (benchmark::kMicrosecond);

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;
    benchmark::Initialize (&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
