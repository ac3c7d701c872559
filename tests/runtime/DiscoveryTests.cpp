// Finders, receivers and senders of one process: names, discovery, connection
// by name, and the library's load/destroy and version.

#include "RuntimeTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <dirent.h>
#include <memory>
#include <thread>

#include <unistd.h>

namespace
{
    /** A finder of the runtime, with the plug-in's settings unless told otherwise. */
    class Finder
    {
    public:
        explicit Finder (bool showLocalSources = true)
        {
            NDIlib_find_create_t settings { showLocalSources, nullptr, nullptr };
            instance = NDIlib_find_create_v3 (&settings, nullptr);
        }

        ~Finder() { library.table->find_destroy (instance); }

        bool wait (uint32_t ms) { return library.table->find_wait_for_sources (instance, ms); }

        std::vector<std::string> names()
        {
            uint32_t count = 0;
            const auto* sources = NDIlib_find_get_current_sources_v2 (instance, &count);
            std::vector<std::string> result;

            for (uint32_t i = 0; i < count; ++i)
                result.emplace_back (sources[i].p_ndi_name);

            return result;
        }

        bool sees (const std::string& name)
        {
            const auto list = names();
            return std::find (list.begin(), list.end(), name) != list.end();
        }

        /** Waits (library waits of up to 100 ms) until seeing name is as wanted. */
        bool waitUntilSeeing (const std::string& name, bool wanted, int timeoutMs = 5000)
        {
            const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds (timeoutMs);

            while (sees (name) != wanted)
            {
                if (std::chrono::steady_clock::now() > end)
                    return false;

                wait (100);
            }

            return true;
        }

        rt::Library library;
        NDIlib_find_instance_t instance;
    };

}

TEST (Version, EndsInItsVersionNumber)
{
    const std::string version = NDIlib_version();

    ASSERT_GE (version.size(), 5u);
    EXPECT_EQ (version.substr (version.size() - 5), "1.0.0");
    EXPECT_NE (version.find ("Runtime"), std::string::npos);
}

TEST (Sender, NdiNameIsHostThenNameInParentheses)
{
    const struct { const char* name; } cases[] = { { "Tone" }, { "Studio A" }, { "Ünïcødé (x)" } };

    for (const auto& c : cases)
    {
        rt::Sender sender (c.name);
        EXPECT_EQ (sender.ndiName(), rt::ndiNameFor (c.name));
    }

    EXPECT_EQ (NDIrt_send_create (""), nullptr);
    EXPECT_EQ (NDIrt_send_create (nullptr), nullptr);
    EXPECT_EQ (NDIrt_send_get_ndi_name (nullptr), nullptr);
    NDIrt_send_destroy (nullptr);
}

TEST (Sender, RefusesAudioOutOfRange)
{
    rt::Sender sender (rt::uniqueName ("Checks"));
    const std::vector<float> data (2 * 1000, 0.25f);
    const int stride = 1000 * (int) sizeof (float);

    const struct { const char* what; const float* data; int rate, channels, samples, stride; bool accepted; } cases[] = {
        { "valid",             data.data(), 48000,   2, 1000, stride,      true },
        { "no samples",        data.data(), 48000,   2, 0,    stride,      true },
        { "null data",         nullptr,     48000,   2, 1000, stride,      false },
        { "rate 0",            data.data(), 0,       2, 1000, stride,      false },
        { "negative rate",     data.data(), -48000,  2, 1000, stride,      false },
        { "absurd rate",       data.data(), 5000000, 2, 1000, stride,      false },
        { "no channels",       data.data(), 48000,   0, 1000, stride,      false },
        { "too many channels", data.data(), 48000,   100000, 1, stride,    false },
        { "negative samples",  data.data(), 48000,   2, -1,   stride,      false },
        { "over one second",   data.data(), 500,     2, 1000, stride,      false },
        { "stride too small",  data.data(), 48000,   2, 1000, stride - 4,  false },
    };

    for (const auto& c : cases)
        EXPECT_EQ (NDIrt_send_audio (sender.instance, c.data, c.rate, c.channels, c.samples, c.stride), c.accepted) << c.what;

    EXPECT_FALSE (NDIrt_send_audio (nullptr, data.data(), 48000, 2, 1000, stride));
}

TEST (Finder, SeesSourcesComeAndGo)
{
    Finder finder;
    const auto name = rt::uniqueName ("Come and go");
    auto sender = std::make_unique<rt::Sender> (name);
    const auto ndiName = sender->ndiName();

    EXPECT_TRUE (finder.wait (5000));
    EXPECT_TRUE (finder.sees (ndiName));

    sender.reset();
    EXPECT_TRUE (finder.wait (5000));
    EXPECT_FALSE (finder.sees (ndiName));
}

TEST (Finder, WaitReturnsEarlyOnAChangeAndFalseWithoutOne)
{
    Finder finder;
    finder.names();

    // Nothing changes: the wait runs its whole time and says so.
    const auto before = std::chrono::steady_clock::now();
    EXPECT_FALSE (finder.wait (100));
    EXPECT_GE (std::chrono::steady_clock::now() - before, std::chrono::milliseconds (100));

    // A source appears while the finder waits: the wait ends long before 20 s.
    std::unique_ptr<rt::Sender> sender;
    std::thread creator ([&]
    {
        std::this_thread::sleep_for (std::chrono::milliseconds (50));
        sender = std::make_unique<rt::Sender> (rt::uniqueName ("Early"));
    });

    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE (finder.wait (20000));
    EXPECT_LT (std::chrono::steady_clock::now() - start, std::chrono::seconds (10));
    creator.join();
}

TEST (Finder, RecordsKeepTextsAsGiven)
{
    Finder finder;
    rt::Sender sender ("Ça marche — 音");

    ASSERT_TRUE (finder.waitUntilSeeing (sender.ndiName(), true));

    uint32_t count = 0;
    const auto* sources = NDIlib_find_get_current_sources_v2 (finder.instance, &count);
    const auto* record = std::find_if (sources, sources + count, [&] (const NDIlib_source_t& s) { return sender.ndiName() == s.p_ndi_name; });

    ASSERT_NE (record, sources + count);
    EXPECT_STREQ (record->p_ndi_name, (rt::hostName() + " (Ça marche — 音)").c_str());
    EXPECT_NE (record->p_url_address, nullptr);
    EXPECT_NE (record->p_extra_info, nullptr);
}

TEST (Finder, HidesThisMachinesSourcesWhenAsked)
{
    Finder finder (false);
    rt::Sender sender (rt::uniqueName ("Hidden"));

    finder.wait (200);
    EXPECT_FALSE (finder.sees (sender.ndiName()));
}

TEST (Finder, NullArgumentsAreHarmless)
{
    rt::Library library;
    uint32_t count = 7;

    EXPECT_EQ (NDIlib_find_get_current_sources_v2 (nullptr, &count), nullptr);
    EXPECT_EQ (count, 0u);
    EXPECT_FALSE (library.table->find_wait_for_sources (nullptr, 10));
    library.table->find_destroy (nullptr);

    // The defaults: show local sources.
    auto* finder = NDIlib_find_create_v3 (nullptr, nullptr);
    EXPECT_NE (finder, nullptr);
    library.table->find_destroy (finder);
}

//==============================================================================
namespace
{
    /** Sends a constant level in 10 ms blocks, capturing 10 ms from each capture
        after each block; returns the last sample each capture returned (-1 for
        a capture without channels). */
    std::vector<float> exchange (rt::Sender& sender, float level, std::initializer_list<rt::Capture*> captures)
    {
        std::vector<float> last (captures.size(), -1.0f);

        for (int block = 0; block < 10; ++block)
        {
            sender.send ({ std::vector<float> (480, level) }, 48000);
            size_t i = 0;

            for (auto* capture : captures)
            {
                const auto channels = capture->capture (48000, 480);
                last[i++] = channels.empty() ? -1.0f : channels[0].back();
            }
        }

        return last;
    }

    float exchange (rt::Sender& sender, float level, rt::Capture& capture)
    {
        return exchange (sender, level, { &capture }).front();
    }
}

TEST (Receiver, ConnectsToASourceThatAppearsLater)
{
    const auto name = rt::uniqueName ("Later");
    rt::Capture capture (rt::ndiNameFor (name));
    EXPECT_TRUE (capture.capture (48000, 480).empty());

    rt::Sender sender (name);
    EXPECT_NEAR (exchange (sender, 0.5f, capture), 0.5f, 1e-3f);
}

TEST (Receiver, ReconnectsWhenTheSenderRestarts)
{
    const auto name = rt::uniqueName ("Restart");
    auto sender = std::make_unique<rt::Sender> (name);
    rt::Capture capture (sender->ndiName());

    EXPECT_NEAR (exchange (*sender, 0.25f, capture), 0.25f, 1e-3f);

    sender = std::make_unique<rt::Sender> (name);
    EXPECT_NEAR (exchange (*sender, 0.75f, capture), 0.75f, 1e-3f);
}

TEST (Receiver, SeveralReceiversGetTheSameSourceAndOthersNothing)
{
    rt::Sender sender (rt::uniqueName ("Shared"));
    rt::Sender other (rt::uniqueName ("Other"));
    rt::Capture first (sender.ndiName()), second (sender.ndiName()), third (other.ndiName());

    const auto levels = exchange (sender, 0.5f, { &first, &second, &third });
    EXPECT_NEAR (levels[0], 0.5f, 1e-3f);
    EXPECT_NEAR (levels[1], 0.5f, 1e-3f);
    EXPECT_EQ (levels[2], -1.0f);
}

TEST (Receiver, TheNewestOfTwoSendersWithOneNameWins)
{
    const auto name = rt::uniqueName ("Twin");
    rt::Sender older (name);
    auto newer = std::make_unique<rt::Sender> (name);
    rt::Capture capture (older.ndiName());

    EXPECT_EQ (exchange (older, 0.2f, capture), -1.0f);
    EXPECT_NEAR (exchange (*newer, 0.6f, capture), 0.6f, 1e-3f);

    // When the newer one goes, the older one takes over.
    newer.reset();
    EXPECT_NEAR (exchange (older, 0.2f, capture), 0.2f, 1e-3f);
}

TEST (Receiver, RefusesSettingsWithoutASourceName)
{
    NDIlib_recv_create_v3_t settings {};
    EXPECT_EQ (NDIlib_recv_create_v4 (&settings, nullptr), nullptr);
    EXPECT_EQ (NDIlib_recv_create_v4 (nullptr, nullptr), nullptr);

    rt::Library library;
    library.table->recv_destroy (nullptr);
}

TEST (Library, AnExtraDestroyDoesNotTakeTheRuntimeFromItsUsers)
{
    rt::Sender sender (rt::uniqueName ("Survivor"));
    rt::Capture capture (sender.ndiName());

    const auto* table = NDIlib_v5_load();
    table->destroy();
    table->destroy();   // unpaired

    EXPECT_NEAR (exchange (sender, 0.5f, capture), 0.5f, 1e-3f);
}

namespace
{
    int threadsOfThisProcess()
    {
        int count = 0;

        if (auto* tasks = ::opendir ("/proc/self/task"))
        {
            while (const auto* entry = ::readdir (tasks))
                count += entry->d_name[0] != '.';

            ::closedir (tasks);
        }

        return count;
    }
}

TEST (Library, BackgroundServicesRunFromTheFirstUserToTheLast)
{
    // ThreadSanitizer starts a thread of its own with the process's first
    // thread: let that happen before counting.
    std::thread ([] {}).join();
    const int before = threadsOfThisProcess();

    {
        rt::Library first;
        const int running = threadsOfThisProcess();
        EXPECT_GT (running, before);

        {
            rt::Library second;
            EXPECT_EQ (threadsOfThisProcess(), running);
        }

        EXPECT_EQ (threadsOfThisProcess(), running);
    }

    EXPECT_EQ (threadsOfThisProcess(), before);
}
