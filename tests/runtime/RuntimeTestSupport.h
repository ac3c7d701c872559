#pragma once

// Small owners of the runtime's handles, a simulated link that runs sender
// and capture on a shared virtual clock, and signal measurements.

#include <NDIRuntime.h>
#include <NDIRuntimeSend.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace rt
{
    /** One user of the library: load on construction, destroy() on destruction. */
    struct Library
    {
        Library() : table (NDIlib_v5_load()) {}
        ~Library() { table->destroy(); }

        const NDIlib_v5* table;
    };

    /** A sender of the runtime. */
    class Sender
    {
    public:
        explicit Sender (const std::string& name) : instance (NDIrt_send_create (name.c_str())) {}
        ~Sender() { NDIrt_send_destroy (instance); }

        std::string ndiName() const { return NDIrt_send_get_ndi_name (instance); }

        /** Sends planar channels, all of the same length. */
        bool send (const std::vector<std::vector<float>>& channels, int sampleRate);

        NDIrt_send_instance_t instance;
    };

    /** A receiver and its frame synchroniser, connected to an NDI name. */
    class Capture
    {
    public:
        explicit Capture (const std::string& sourceName);
        ~Capture();

        /** Captures, copies and frees one frame; returns the channels (planar). */
        std::vector<std::vector<float>> capture (int sampleRate, int numSamples, NDIlib_audio_frame_v3_t* frameInfo = nullptr);

        NDIrt_framesync_stats_t stats() const;

        Library library;
        NDIlib_recv_instance_t receiver = nullptr;
        NDIlib_framesync_instance_t frameSync = nullptr;
    };

    /** Sine generator with a continuous phase, one amplitude per channel. */
    class Tone
    {
    public:
        Tone (double frequency, std::vector<float> amplitudes) : hz (frequency), levels (std::move (amplitudes)) {}

        std::vector<std::vector<float>> next (int numSamples, int sampleRate);

    private:
        double hz;
        std::vector<float> levels;
        double phase = 0.0;
    };

    /** What a simulated link looks like: rates, block sizes and the sender's clock
        error. The sender's blocks are sent and the captures made in the order
        in which their times fall on a shared virtual clock, so that hours of
        audio take seconds and the result does not depend on the machine's load. */
    struct LinkSettings
    {
        int sourceRate = 48000;
        int outputRate = 48000;
        int numChannels = 2;
        int sendBlock = 96;
        int captureBlock = 256;
        int capturePiece = 0;       // > 0: each capture block is taken in pieces of at most this, at once
        double senderPpm = 0.0;     // the sender's clock runs this much fast
    };

    class SimulatedLink
    {
    public:
        SimulatedLink (const std::string& name, LinkSettings settings, Tone tone);

        /** Where the sender's next block comes from: the tone unless changed. */
        std::function<std::vector<std::vector<float>>()> nextBlock;

        /** Runs for the given virtual time; calls onCapture (timeSeconds, channels)
            after every capture. */
        template <typename Callback>
        void run (double seconds, Callback&& onCapture)
        {
            const double end = now + seconds;

            while (now < end)
            {
                // A block is sent when its last sample is due; a capture asks for
                // the block that starts playing at its time.
                const double nextSend = (double) (samplesSent + link.sendBlock) / (link.sourceRate * (1.0 + link.senderPpm * 1e-6));
                const double nextCapture = (double) samplesCaptured / link.outputRate;

                if (nextSend <= nextCapture)
                {
                    now = nextSend;
                    sender.send (nextBlock(), link.sourceRate);
                    samplesSent += link.sendBlock;
                }
                else
                {
                    now = nextCapture;
                    const int piece = link.capturePiece > 0 ? link.capturePiece : link.captureBlock;

                    for (int taken = 0; taken < link.captureBlock; taken += piece)
                        onCapture (now, capture.capture (link.outputRate, std::min (piece, link.captureBlock - taken)));

                    samplesCaptured += link.captureBlock;
                }
            }
        }

        void run (double seconds)  { run (seconds, [] (double, const auto&) {}); }

        NDIrt_framesync_stats_t stats() const  { return capture.stats(); }

        LinkSettings link;
        Tone tone;
        Sender sender;
        Capture capture;
        double now = 0.0;
        long long samplesSent = 0;
        long long samplesCaptured = 0;
    };

    /** Captures 10 ms at 48 kHz every 10 ms for a while, in real time, and hands
        each capture's channels to onBlock. */
    void captureInRealTime (Capture& capture, std::chrono::duration<double> length,
                            const std::function<void (const std::vector<std::vector<float>>&)>& onBlock);

    /** What arrived in real time over the given time, on the first channel: the
        median over the blocks that had sound of their peak and of their
        frequency (a median, so that the start of the stream, or an underrun's
        fade on a loaded machine, does not count). */
    std::pair<double, double> receivedTone (Capture& capture, std::chrono::duration<double> length);

    /** Root mean square of a signal. */
    double rms (const std::vector<float>& signal);

    /** The frequency of a sine, from its rising zero crossings (interpolated). */
    double measureFrequency (const std::vector<float>& signal, int sampleRate);

    /** The level, in dB relative to the sine itself, of everything in signal
        that is not a sine of the given frequency (least-squares fit of the
        sine, its amplitude and phase, and a constant). */
    double residualDb (const std::vector<float>& signal, double frequency, int sampleRate);

    /** This machine's host name, and the NDI name a sender called name gets on it. */
    std::string hostName();
    std::string ndiNameFor (const std::string& name);

    /** A name that no other test of this process uses. */
    std::string uniqueName (const std::string& stem);
}
