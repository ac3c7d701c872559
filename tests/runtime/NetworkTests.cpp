// The runtime across processes: the sender tool in a child process, found and
// received over the machine's source directory and TCP; misbehaving peers.

#include "ChildProcess.h"
#include "RuntimeTestSupport.h"
#include "Socket.h"
#include "WireHeader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <thread>

#include <unistd.h>

using namespace std::chrono;
using namespace std::chrono_literals;

namespace
{
    /** A source directory of its own: for this test process and its children,
        or (usedHere false) for children told about it. */
    struct ScopedRuntimeDirectory
    {
        explicit ScopedRuntimeDirectory (bool usedHere = true)
            : used (usedHere),
              previous (std::getenv ("NDIRT_RUNTIME_DIR") != nullptr ? std::getenv ("NDIRT_RUNTIME_DIR") : "")
        {
            char pattern[] = "/tmp/ndirt-test-XXXXXX";
            path = ::mkdtemp (pattern);

            if (used)
                ::setenv ("NDIRT_RUNTIME_DIR", path.c_str(), 1);
        }

        ~ScopedRuntimeDirectory()
        {
            if (used)
                ::setenv ("NDIRT_RUNTIME_DIR", previous.c_str(), 1);

            std::system (("rm -rf " + path).c_str());
        }

        std::string path;
        bool used;
        std::string previous;
    };

    /** A finder with the plug-in's settings. */
    struct Finder
    {
        Finder()
        {
            NDIlib_find_create_t settings { true, nullptr, nullptr };
            instance = NDIlib_find_create_v3 (&settings, nullptr);
        }

        ~Finder() { library.table->find_destroy (instance); }

        /** The URL of the source with that name, empty if not listed. */
        std::string urlOf (const std::string& name)
        {
            uint32_t count = 0;
            const auto* sources = NDIlib_find_get_current_sources_v2 (instance, &count);

            for (uint32_t i = 0; i < count; ++i)
                if (name == sources[i].p_ndi_name)
                    return sources[i].p_url_address;

            return {};
        }

        /** Waits until the source is listed (or not); returns the time it took,
            or nothing when timeout passed. */
        std::optional<duration<double>> waitFor (const std::string& name, bool listed, milliseconds timeout)
        {
            const auto start = steady_clock::now();

            while (urlOf (name).empty() == listed)
            {
                if (steady_clock::now() - start > timeout)
                    return std::nullopt;

                library.table->find_wait_for_sources (instance, 50);
            }

            return steady_clock::now() - start;
        }

        rt::Library library;
        NDIlib_find_instance_t instance;
    };

    const double minus12dB = std::pow (10.0, -12.0 / 20.0);

    class SenderProcess : public rt::ChildProcess
    {
    public:
        SenderProcess (const std::string& name, std::vector<std::string> arguments = {},
                       std::vector<std::string> environment = {}, std::vector<std::string> prefix = {})
            : rt::ChildProcess (withTool (name, std::move (arguments), std::move (prefix)), std::move (environment))
        {
        }

        /** Waits for the line saying it is sending; true when it came. */
        bool started()
        {
            std::string line;
            return readLine (line, 20s) && line.rfind ("Sending", 0) == 0;
        }

    private:
        /** prefix: a command that runs the tool, such as "ip netns exec NAME". */
        static std::vector<std::string> withTool (const std::string& name, std::vector<std::string> arguments,
                                                  std::vector<std::string> prefix)
        {
            arguments.insert (arguments.begin(), { rt::senderTool(), "--name", name });
            arguments.insert (arguments.begin(), prefix.begin(), prefix.end());
            return arguments;
        }
    };

    class AcrossProcesses : public ::testing::Test
    {
    protected:
        ScopedRuntimeDirectory directory;
        Finder finder;
    };
}

TEST_F (AcrossProcesses, SourceAppearsWithinOneSecondAndGoesWithinTwoAfterSigkill)
{
    const auto name = rt::uniqueName ("Child");
    SenderProcess sender (name);
    ASSERT_TRUE (sender.started());

    // Slack of half a second over the promised times for a loaded machine.
    const auto appeared = finder.waitFor (rt::ndiNameFor (name), true, 10s);
    ASSERT_TRUE (appeared.has_value());
    EXPECT_LT (appeared->count(), 1.5);

    sender.stop (SIGKILL);
    const auto gone = finder.waitFor (rt::ndiNameFor (name), false, 10s);
    ASSERT_TRUE (gone.has_value());
    EXPECT_LT (gone->count(), 2.5);
}

TEST_F (AcrossProcesses, ReceivesAnotherProcesssToneAtTheHostRate)
{
    const auto name = rt::uniqueName ("Tone");
    SenderProcess sender (name, { "--tone", "1000", "--rate", "44100", "--channels", "3" });
    ASSERT_TRUE (sender.started());

    rt::Capture capture (rt::ndiNameFor (name));
    const auto [peak, frequency] = rt::receivedTone (capture, 3s);

    EXPECT_NEAR (peak, minus12dB, minus12dB * 0.02);
    EXPECT_NEAR (frequency, 1000.0, 10.0);
    EXPECT_EQ (capture.capture (48000, 480).size(), 3u);
}

TEST_F (AcrossProcesses, OneSenderServesSeveralReceivers)
{
    const auto name = rt::uniqueName ("Shared");
    SenderProcess sender (name, { "--tone", "500" });
    ASSERT_TRUE (sender.started());

    rt::Capture first (rt::ndiNameFor (name)), second (rt::ndiNameFor (name));

    std::pair<double, double> secondTone;
    std::thread secondReceiver ([&] { secondTone = rt::receivedTone (second, 3s); });
    const auto firstTone = rt::receivedTone (first, 3s);
    secondReceiver.join();

    EXPECT_NEAR (firstTone.first, minus12dB, minus12dB * 0.02);
    EXPECT_NEAR (firstTone.second, 500.0, 5.0);
    EXPECT_NEAR (secondTone.first, minus12dB, minus12dB * 0.02);
    EXPECT_NEAR (secondTone.second, 500.0, 5.0);

    // The sender counts them in its status line.
    std::string line;
    bool sawTwo = false;

    while (! sawTwo && sender.readLine (line, 3s))
        sawTwo = line.find ("2 receiver(s)") != std::string::npos;

    EXPECT_TRUE (sawTwo);
}

TEST_F (AcrossProcesses, ReceiverFollowsARestartedSender)
{
    const auto name = rt::uniqueName ("Restarting");
    rt::Capture capture (rt::ndiNameFor (name));

    {
        SenderProcess sender (name, { "--tone", "500" });
        ASSERT_TRUE (sender.started());
        EXPECT_NEAR (rt::receivedTone (capture, 2s).second, 500.0, 10.0);
        sender.stop (SIGKILL);
    }

    SenderProcess restarted (name, { "--tone", "1500" });
    ASSERT_TRUE (restarted.started());

    // Within a few seconds the new process's tone arrives.
    double frequency = 0.0;

    for (int attempt = 0; attempt < 10 && std::abs (frequency - 1500.0) > 15.0; ++attempt)
        frequency = rt::receivedTone (capture, 1s).second;

    EXPECT_NEAR (frequency, 1500.0, 15.0);
}

//==============================================================================
namespace
{
    /** A TCP peer posing as a sender: each connection gets what `behave` does. */
    class FakeSender
    {
    public:
        explicit FakeSender (std::function<void (int socket, const std::atomic<bool>& stopping)> behaviour)
            : behave (std::move (behaviour)),
              listener (ndirt::net::listenTcp ("127.0.0.1", 0, port)),
              thread ([this] { run(); })
        {
        }

        ~FakeSender()
        {
            stopping = true;
            thread.join();
        }

        std::string url() const { return "tcp://127.0.0.1:" + std::to_string (port); }
        int connections() const { return accepted; }

    private:
        void run()
        {
            while (! stopping)
            {
                if (! ndirt::net::waitReadable (listener.get(), 20))
                    continue;

                std::string peer;
                auto socket = ndirt::net::acceptTcp (listener.get(), peer);

                if (socket.isValid())
                {
                    ++accepted;
                    behave (socket.get(), stopping);
                }
            }
        }

        std::function<void (int, const std::atomic<bool>&)> behave;
        int port = 0;
        ndirt::net::FileDescriptor listener;
        std::atomic<bool> stopping { false };
        std::atomic<int> accepted { 0 };
        std::thread thread;
    };

    /** Writes bytes, then keeps the connection open for a while. */
    auto sendsThenWaits (std::vector<uint8_t> bytes, milliseconds wait = 300ms)
    {
        return [bytes, wait] (int socket, const std::atomic<bool>& stopping)
        {
            ndirt::net::sendSome (socket, bytes.data(), bytes.size());

            for (auto end = steady_clock::now() + wait; ! stopping && steady_clock::now() < end;)
                std::this_thread::sleep_for (10ms);
        };
    }

    /** A receiver and synchroniser for a URL, as the plug-in makes them but with
        the URL given. */
    struct UrlCapture
    {
        explicit UrlCapture (const std::string& url)
        {
            NDIlib_recv_create_v3_t settings {};
            settings.source_to_connect_to.p_ndi_name = "FAKE (peer)";
            settings.source_to_connect_to.p_url_address = url.c_str();
            settings.bandwidth = NDIlib_recv_bandwidth_audio_only;
            receiver = NDIlib_recv_create_v4 (&settings, nullptr);
            frameSync = library.table->framesync_create (receiver);
        }

        ~UrlCapture()
        {
            NDIlib_framesync_destroy (frameSync);
            library.table->recv_destroy (receiver);
        }

        rt::Library library;
        NDIlib_recv_instance_t receiver;
        NDIlib_framesync_instance_t frameSync;
    };
}

TEST_F (AcrossProcesses, BadInputCostsOnlyItsConnection)
{
    // A good source, received all along by another receiver of this process.
    const auto name = rt::uniqueName ("Good");
    SenderProcess good (name, { "--tone", "1000" });
    ASSERT_TRUE (good.started());
    rt::Capture goodCapture (rt::ndiNameFor (name));

    std::vector<uint8_t> cutShort = rt::wireHeader (48000, 2, 480);
    cutShort.resize (cutShort.size() + 100);

    const struct { const char* what; std::function<void (int, const std::atomic<bool>&)> behaviour; } peers[] = {
        { "garbage",            sendsThenWaits (std::vector<uint8_t> (4096, 0xa5)) },
        { "wrong magic",        sendsThenWaits (rt::wireHeader (48000, 2, 480, "WAVE")) },
        { "wrong version",      sendsThenWaits (rt::wireHeader (48000, 2, 480, "NDRA", 7)) },
        { "100000 channels",    sendsThenWaits (rt::wireHeader (48000, 100000, 480)) },
        { "no channels",        sendsThenWaits (rt::wireHeader (48000, 0, 480)) },
        { "negative samples",   sendsThenWaits (rt::wireHeader (48000, 2, 0xffffffff)) },
        { "absurd rate",        sendsThenWaits (rt::wireHeader (0x7fffffff, 2, 480)) },
        { "frame cut short",    sendsThenWaits (cutShort, 0ms) },
        { "vanishes at once",   sendsThenWaits ({}, 0ms) },
        { "one byte a second",  [] (int socket, const std::atomic<bool>& stopping)
                                {
                                    const auto header = rt::wireHeader (48000, 2, 480);

                                    // Until the receiver hangs up.
                                    for (size_t i = 0; i < header.size() && ! stopping; ++i)
                                    {
                                        ndirt::net::sendSome (socket, &header[i], 1);
                                        char byte;

                                        if (ndirt::net::waitReadable (socket, 1000) && ndirt::net::receiveSome (socket, &byte, 1) < 0)
                                            return;
                                    }
                                } },
    };

    std::vector<std::unique_ptr<FakeSender>> fakes;
    std::vector<std::unique_ptr<UrlCapture>> captures;

    for (const auto& peer : peers)
    {
        fakes.push_back (std::make_unique<FakeSender> (peer.behaviour));
        captures.push_back (std::make_unique<UrlCapture> (fakes.back()->url()));
    }

    // For five seconds every capture returns at once (the bound leaves room for
    // a loaded machine, not for a wait on a peer), the bad peers give no
    // audio, and the good source plays on.
    double slowestCaptureMs = 0.0, goodPeak = 0.0;

    rt::captureInRealTime (goodCapture, 5s, [&] (const auto& channels)
    {
        if (! channels.empty())
            goodPeak = std::max (goodPeak, (double) *std::max_element (channels[0].begin(), channels[0].end()));

        for (auto& capture : captures)
        {
            NDIlib_audio_frame_v3_t frame {};
            const auto start = steady_clock::now();
            NDIlib_framesync_capture_audio_v2 (capture->frameSync, &frame, 48000, 0, 480);
            slowestCaptureMs = std::max (slowestCaptureMs, duration<double, std::milli> (steady_clock::now() - start).count());

            EXPECT_EQ (frame.no_channels, 0);
            capture->library.table->framesync_free_audio_v2 (capture->frameSync, &frame);
        }
    });

    EXPECT_NEAR (goodPeak, minus12dB, minus12dB * 0.02);
    EXPECT_LT (slowestCaptureMs, 500.0);     // far below the 3 s a stalled peer would cost

    // Each bad connection was dropped, and the receiver tried again.
    for (size_t i = 0; i < fakes.size(); ++i)
        EXPECT_GE (fakes[i]->connections(), 2) << peers[i].what;
}

TEST_F (AcrossProcesses, GarbageSentToASenderDisturbsNoOtherReceiver)
{
    const auto name = rt::uniqueName ("Robust");
    SenderProcess sender (name, { "--tone", "1000" });
    ASSERT_TRUE (sender.started());

    const auto ndiName = rt::ndiNameFor (name);
    ASSERT_TRUE (finder.waitFor (ndiName, true, 10s).has_value());
    const auto endpoint = ndirt::net::parseUrl (finder.urlOf (ndiName));
    ASSERT_TRUE (endpoint.has_value());

    // A peer that floods the sender with garbage and never reads.
    auto intruder = ndirt::net::connectTcp (*endpoint, 1000);
    ASSERT_TRUE (intruder.isValid());
    std::atomic<bool> stopping { false };
    std::thread flooder ([&]
    {
        const std::vector<uint8_t> garbage (65536, 0xee);

        while (! stopping)
            if (ndirt::net::sendSome (intruder.get(), garbage.data(), garbage.size()) <= 0)
                std::this_thread::sleep_for (1ms);
    });

    rt::Capture capture (ndiName);
    const auto [peak, frequency] = rt::receivedTone (capture, 3s);
    stopping = true;
    flooder.join();

    EXPECT_NEAR (peak, minus12dB, minus12dB * 0.02);
    EXPECT_NEAR (frequency, 1000.0, 10.0);
}

//==============================================================================
namespace
{
    /** The discovery server tool in a child process. */
    class ServerProcess : public rt::ChildProcess
    {
    public:
        ServerProcess (const std::string& bindAddress, std::vector<std::string> prefix = {})
            : rt::ChildProcess (command (bindAddress, std::move (prefix)))
        {
            std::string line;

            if (readLine (line, 20s) && line.rfind ("Discovery server listening on ", 0) == 0)
                port = std::stoi (line.substr (line.rfind (':') + 1));
        }

        int port = 0;

    private:
        static std::vector<std::string> command (const std::string& bindAddress, std::vector<std::string> prefix)
        {
            prefix.insert (prefix.end(), { rt::discoveryServerTool(), "--port", "0", "--bind", bindAddress });
            return prefix;
        }
    };

    /** Uses a discovery server while it exists: set before the runtime starts. */
    struct ScopedDiscoveryServer
    {
        explicit ScopedDiscoveryServer (const std::string& address) { ::setenv ("NDIRT_DISCOVERY_SERVER", address.c_str(), 1); }
        ~ScopedDiscoveryServer()                                     { ::unsetenv ("NDIRT_DISCOVERY_SERVER"); }
    };

    /** Finds a source announced only through the server, receives it, and sees
        it go when the sender is killed. */
    void findAndReceiveThroughServer (SenderProcess& sender, const std::string& ndiName, const std::string& expectedHost)
    {
        ASSERT_TRUE (sender.started());

        Finder finder;
        ASSERT_TRUE (finder.waitFor (ndiName, true, 10s).has_value());
        EXPECT_EQ (ndirt::net::parseUrl (finder.urlOf (ndiName))->host, expectedHost);

        rt::Capture capture (ndiName);
        const auto [peak, frequency] = rt::receivedTone (capture, 3s);
        EXPECT_NEAR (peak, minus12dB, minus12dB * 0.02);
        EXPECT_NEAR (frequency, 1000.0, 10.0);

        sender.stop (SIGKILL);
        const auto gone = finder.waitFor (ndiName, false, 10s);
        ASSERT_TRUE (gone.has_value());
        EXPECT_LT (gone->count(), 2.5);
    }
}

TEST (DiscoveryServer, ConnectsSendersAndFindersThatShareNoDirectory)
{
    ScopedRuntimeDirectory ours, senders (false);
    ServerProcess server ("127.0.0.1");
    ASSERT_GT (server.port, 0);

    const std::string address = "127.0.0.1:" + std::to_string (server.port);
    const auto name = rt::uniqueName ("Served");
    SenderProcess sender (name, {}, { "NDIRT_DISCOVERY_SERVER=" + address, "NDIRT_RUNTIME_DIR=" + senders.path });

    ScopedDiscoveryServer useServer (address);
    findAndReceiveThroughServer (sender, rt::ndiNameFor (name), "127.0.0.1");
}

TEST (DiscoveryServer, BadClientsCostOnlyTheirConnection)
{
    ScopedRuntimeDirectory ours, senders (false);
    ServerProcess server ("127.0.0.1");
    ASSERT_GT (server.port, 0);

    // Clients that send garbage, a list they never finish, an endless line.
    const ndirt::net::Endpoint endpoint { "127.0.0.1", server.port };
    const std::string badInputs[] = { std::string (5000, '\x01'),
                                      "SOURCES 1024\nHOST (A)\ttcp://:1\tx\n",
                                      "SOURCES 1\n" + std::string (100000, 'a') };
    std::vector<ndirt::net::FileDescriptor> badClients;

    for (const auto& input : badInputs)
    {
        badClients.push_back (ndirt::net::connectTcp (endpoint, 1000));
        ASSERT_TRUE (badClients.back().isValid());
        ndirt::net::sendSome (badClients.back().get(), input.data(), input.size());
    }

    const std::string address = "127.0.0.1:" + std::to_string (server.port);
    const auto name = rt::uniqueName ("Undisturbed");
    SenderProcess sender (name, {}, { "NDIRT_DISCOVERY_SERVER=" + address, "NDIRT_RUNTIME_DIR=" + senders.path });

    ScopedDiscoveryServer useServer (address);
    findAndReceiveThroughServer (sender, rt::ndiNameFor (name), "127.0.0.1");

    // The server hung up on the garbage and on the endless line (after the
    // lists it sent them).
    const auto hungUp = [] (int socket)
    {
        char buffer[4096];

        for (auto end = steady_clock::now() + 5s; steady_clock::now() < end;)
            if (ndirt::net::waitReadable (socket, 100) && ndirt::net::receiveSome (socket, buffer, sizeof (buffer)) < 0)
                return true;

        return false;
    };

    EXPECT_TRUE (hungUp (badClients[0].get()));
    EXPECT_TRUE (hungUp (badClients[2].get()));
}

// Two "machines": this test's network namespace and one it creates, joined by a
// veth pair. The sender and the discovery server live in the other one.
TEST (DiscoveryServer, AcrossTwoNetworkNamespaces)
{
    const auto id = std::to_string (getpid() % 100000);
    const std::string ns = "ndirt" + id, here = "ndva" + id, there = "ndvb" + id;
    const std::string subnet = "10.213." + std::to_string (getpid() % 250) + ".";

    if (std::system (("ip netns add " + ns + " 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "network namespaces are not permitted here (ip netns add failed): needs root or CAP_SYS_ADMIN";

    struct Cleanup
    {
        std::string ns, here;
        ~Cleanup() { std::system (("ip link del " + here + " 2>/dev/null; ip netns del " + ns + " 2>/dev/null").c_str()); }
    } cleanup { ns, here };

    const std::string setup =
        "ip link add " + here + " type veth peer name " + there
        + " && ip link set " + there + " netns " + ns
        + " && ip addr add " + subnet + "1/24 dev " + here + " && ip link set " + here + " up"
        + " && ip netns exec " + ns + " ip addr add " + subnet + "2/24 dev " + there
        + " && ip netns exec " + ns + " ip link set " + there + " up"
        + " && ip netns exec " + ns + " ip link set lo up";

    if (std::system (setup.c_str()) != 0)
        GTEST_SKIP() << "could not create a veth pair between namespaces";

    const std::vector<std::string> inNamespace { "ip", "netns", "exec", ns };
    ServerProcess server (subnet + "2", inNamespace);
    ASSERT_GT (server.port, 0);

    ScopedRuntimeDirectory ours, senders (false);
    const std::string address = subnet + "2:" + std::to_string (server.port);

    const auto name = rt::uniqueName ("Far");
    SenderProcess sender (name, {}, { "NDIRT_DISCOVERY_SERVER=" + address, "NDIRT_RUNTIME_DIR=" + senders.path }, inNamespace);

    ScopedDiscoveryServer useServer (address);
    findAndReceiveThroughServer (sender, rt::ndiNameFor (name), subnet + "2");
}
