// ndir-send: publishes an NDI source through our runtime and sends a tone, a
// sweep or an audio file to it in real time, optionally with its clock off by
// some ppm. Prints what it does, then a status line every second.

#include "AudioFile.h"

#include <NDIRuntimeSend.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

namespace
{
    std::atomic<bool> interrupted { false };

    const char* usage =
        "usage: ndir-send --name NAME [source] [options]\n"
        "source (default: --tone 1000):\n"
        "  --tone HZ              a sine at HZ on every channel\n"
        "  --sweep LOW:HIGH:SECS  a logarithmic sweep from LOW to HIGH Hz, repeated every SECS\n"
        "  --file PATH            a WAV or FLAC file, looped (its own rate and channels)\n"
        "  --once                 play the file once, then stop\n"
        "options:\n"
        "  --channels N           channel count of a tone or sweep (default 2)\n"
        "  --rate HZ              sample rate of a tone or sweep (default 48000)\n"
        "  --level DBFS           level of a tone or sweep (default -12)\n"
        "  --ppm P                run the sender's clock P ppm fast (negative: slow)\n"
        "  --duration SECS        stop after SECS seconds (default: until interrupted)\n"
        "  --block SAMPLES        samples per send call (default: 2 ms worth)\n";

    struct Options
    {
        std::string name, file, sweep;
        double tone = 1000.0, level = -12.0, ppm = 0.0, duration = 0.0;
        int channels = 2, rate = 48000, block = 0;
        bool once = false;
    };

    [[noreturn]] void fail (const std::string& message)
    {
        std::fprintf (stderr, "ndir-send: %s\n%s", message.c_str(), usage);
        std::exit (2);
    }

    double number (const char* text, const char* option)
    {
        char* end = nullptr;
        const double value = std::strtod (text, &end);

        if (end == text || *end != 0 || ! std::isfinite (value))
            fail (std::string ("not a number for ") + option + ": " + text);

        return value;
    }

    Options parse (int argc, char** argv)
    {
        Options o;

        for (int i = 1; i < argc; ++i)
        {
            const std::string arg = argv[i];
            const auto value = [&]
            {
                if (i + 1 >= argc)
                    fail (arg + " needs a value");

                return argv[++i];
            };

            if (arg == "--name")            o.name = value();
            else if (arg == "--tone")       o.tone = number (value(), "--tone");
            else if (arg == "--sweep")      o.sweep = value();
            else if (arg == "--file")       o.file = value();
            else if (arg == "--once")       o.once = true;
            else if (arg == "--channels")   o.channels = (int) number (value(), "--channels");
            else if (arg == "--rate")       o.rate = (int) number (value(), "--rate");
            else if (arg == "--level")      o.level = number (value(), "--level");
            else if (arg == "--ppm")        o.ppm = number (value(), "--ppm");
            else if (arg == "--duration")   o.duration = number (value(), "--duration");
            else if (arg == "--block")      o.block = (int) number (value(), "--block");
            else if (arg == "--help")       { std::fputs (usage, stdout); std::exit (0); }
            else                            fail ("unknown argument " + arg);
        }

        if (o.name.empty())
            fail ("--name is required");

        if (o.channels < 1 || o.channels > 1024)
            fail ("--channels must be 1..1024");

        if (o.rate < 8000 || o.rate > 384000)
            fail ("--rate must be 8000..384000");

        if (o.ppm <= -100000.0 || o.ppm >= 100000.0)
            fail ("--ppm must be within +-100000");

        return o;
    }

    /** Fills planar channels with the next samples; returns how many it
        filled, fewer than asked (0 included) at the end of a file played once. */
    using Signal = std::function<int (std::vector<std::vector<float>>&)>;

    Signal makeSweep (double low, double high, double seconds, double rate, float gain)
    {
        return [=, phase = 0.0, t = 0.0] (std::vector<std::vector<float>>& out) mutable
        {
            for (size_t i = 0; i < out[0].size(); ++i)
            {
                const double frequency = low * std::pow (high / low, t / seconds);
                const float value = gain * (float) std::sin (phase);

                for (auto& channel : out)
                    channel[i] = value;

                phase = std::fmod (phase + 2.0 * M_PI * frequency / rate, 2.0 * M_PI);
                t = std::fmod (t + 1.0 / rate, seconds);
            }

            return (int) out[0].size();
        };
    }

    Signal makeFilePlayer (AudioFile file, bool once)
    {
        return [file = std::move (file), once, position = 0] (std::vector<std::vector<float>>& out) mutable
        {
            for (size_t i = 0; i < out[0].size(); ++i)
            {
                if (position == file.numSamples())
                {
                    if (once)
                        return (int) i;

                    position = 0;
                }

                for (size_t c = 0; c < out.size(); ++c)
                    out[c][i] = file.channels[c][(size_t) position];

                ++position;
            }

            return (int) out[0].size();
        };
    }

    std::string describe (const Options& o)
    {
        if (! o.file.empty())
            return o.file + (o.once ? " once" : " looped");

        if (! o.sweep.empty())
            return "sweep " + o.sweep;

        return std::to_string ((int) o.tone) + " Hz tone";
    }
}

int main (int argc, char** argv)
{
    auto options = parse (argc, argv);
    const float gain = (float) std::pow (10.0, options.level / 20.0);
    Signal signal;

    if (! options.file.empty())
    {
        AudioFile file;
        std::string error;

        if (! readAudioFile (options.file, file, error))
        {
            std::fprintf (stderr, "ndir-send: %s\n", error.c_str());
            return 1;
        }

        options.rate = file.sampleRate;
        options.channels = (int) file.channels.size();
        signal = makeFilePlayer (std::move (file), options.once);
    }
    else if (! options.sweep.empty())
    {
        double low = 0, high = 0, seconds = 0;

        if (std::sscanf (options.sweep.c_str(), "%lf:%lf:%lf", &low, &high, &seconds) != 3 || low <= 0 || high <= 0 || seconds <= 0)
            fail ("--sweep wants LOW:HIGH:SECS, all positive");

        signal = makeSweep (low, high, seconds, options.rate, gain);
    }
    else
    {
        signal = makeSweep (options.tone, options.tone, 1.0, options.rate, gain);
    }

    const int block = options.block > 0 ? options.block : std::max (1, options.rate / 500);
    NDIrt_send_instance_t sender = NDIrt_send_create (options.name.c_str());

    if (sender == nullptr)
    {
        std::fprintf (stderr, "ndir-send: cannot create the sender\n");
        return 1;
    }

    std::signal (SIGINT, [] (int) { interrupted = true; });
    std::signal (SIGTERM, [] (int) { interrupted = true; });

    std::printf ("Sending \"%s\": %s, %d channels, %d Hz, %+g ppm, blocks of %d samples, %s\n",
                 NDIrt_send_get_ndi_name (sender), describe (options).c_str(), options.channels, options.rate,
                 options.ppm, block, options.duration > 0 ? (std::to_string (options.duration) + " s").c_str() : "until interrupted");
    std::fflush (stdout);

    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const double effectiveRate = options.rate * (1.0 + options.ppm * 1e-6);
    const bool terminal = isatty (STDOUT_FILENO) != 0;

    std::vector<std::vector<float>> channels ((size_t) options.channels, std::vector<float> ((size_t) block));
    std::vector<float> planar;
    long long sent = 0;
    int nextStatus = 1;

    while (! interrupted)
    {
        const double elapsed = std::chrono::duration<double> (Clock::now() - start).count();

        if (options.duration > 0 && elapsed >= options.duration)
            break;

        if (elapsed >= nextStatus)
        {
            std::printf ("%s%6.1f s, %lld samples sent, %d receiver(s)%s", terminal ? "\r" : "", elapsed, sent,
                         NDIrt_send_get_no_connections (sender), terminal ? "" : "\n");
            std::fflush (stdout);
            ++nextStatus;
        }

        const int filled = signal (channels);

        if (filled == 0)
            break;

        planar.clear();

        for (const auto& channel : channels)
            planar.insert (planar.end(), channel.begin(), channel.begin() + filled);

        NDIrt_send_audio (sender, planar.data(), options.rate, options.channels, filled, filled * (int) sizeof (float));
        sent += filled;

        std::this_thread::sleep_until (start + std::chrono::duration_cast<Clock::duration> (std::chrono::duration<double> (sent / effectiveRate)));
    }

    std::printf ("%sStopped after %lld samples.\n", terminal ? "\n" : "", sent);
    NDIrt_send_destroy (sender);
    return 0;
}
