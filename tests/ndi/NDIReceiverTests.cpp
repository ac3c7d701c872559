#include "ndi/NDIReceiver.h"
#include "support/NDITestSupport.h"

#include <gtest/gtest.h>

using test::CaptureRecorder;
using test::pumpUntil;
using test::RealTimeSource;

namespace
{
    /** Keeps every report a receiver makes, with the thread it came on. */
    struct RecordingListener : public NDIReceiver::Listener
    {
        void audioBroadcastingHasBegun (int numChannels) override
        {
            reports.push_back ("begun " + std::to_string (numChannels));
            onMessageThread &= juce::MessageManager::existsAndIsCurrentThread();
        }

        void audioBroadcastingHasEnded() override
        {
            reports.push_back ("ended");
            onMessageThread &= juce::MessageManager::existsAndIsCurrentThread();
        }

        std::vector<std::string> reports;
        bool onMessageThread = true;
    };

    /** Posts requests as an audio thread would, from the test thread. */
    void request (NDIReceiver& receiver, int numSamples, int count = 1)
    {
        for (int i = 0; i < count; ++i)
            receiver.requestFifo.push (numSamples);
    }

    class NDIReceiverTest : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            receiver.sampleRate = 48000;
            receiver.addListener (&listener);
        }

        // The first tick reports the unconnected state; later reports are the test's.
        void skipFirstReport()
        {
            ASSERT_TRUE (pumpUntil ([&] { return ! listener.reports.empty(); }));
            listener.reports.clear();
        }

        void TearDown() override
        {
            receiver.removeListener (&listener);
        }

        void connectTo (const RealTimeSource& source)
        {
            receiver.changeSource ({ juce::String (source.ndiName()), "url", "info" });
        }

        // Posts requests of `numSamples` until one is answered with audio.
        bool waitForBroadcasting (int numSamples = 480)
        {
            return pumpUntil ([&]
            {
                if (receiver.requestFifo.getNumReady() == 0)
                    request (receiver, numSamples);

                return receiver.isBroadcasting.load();
            });
        }

        NDIReceiver receiver;
        RecordingListener listener;
    };
}

TEST_F (NDIReceiverTest, ReportsEndedOnceOnTheFirstTick)
{
    ASSERT_TRUE (pumpUntil ([&] { return ! listener.reports.empty(); }));
    juce::MessageManager::getInstance()->runDispatchLoopUntil (100);

    EXPECT_EQ (listener.reports, std::vector<std::string> { "ended" });
    EXPECT_TRUE (listener.onMessageThread);
}

TEST_F (NDIReceiverTest, ChoosingTheEmptyEntryFirstOnlyReports)
{
    receiver.changeSource ({});

    EXPECT_EQ (listener.reports, std::vector<std::string> { "begun 0" });
    EXPECT_FALSE (receiver.isThreadRunning());
    EXPECT_EQ (receiver.ndiReceiver, nullptr);
}

TEST_F (NDIReceiverTest, ConnectsUnderItsOwnNameAndReportsBroadcasting)
{
    RealTimeSource source ("Receiver name", 48000, 3, RealTimeSource::sines());
    skipFirstReport();
    connectTo (source);

    EXPECT_EQ (receiver.receiverName, juce::String (source.ndiName()) + " Receiver");
    EXPECT_TRUE (receiver.isThreadRunning());

    ASSERT_TRUE (waitForBroadcasting());
    ASSERT_TRUE (pumpUntil ([&] { return ! listener.reports.empty() && listener.reports.back() == "begun 3"; }));
    EXPECT_EQ (test::bankSize (receiver), 3u);
    EXPECT_TRUE (listener.onMessageThread);
}

TEST_F (NDIReceiverTest, ChoosingTheConnectedSourceAgainOnlyReportsAgain)
{
    RealTimeSource source ("Same again", 48000, 2, RealTimeSource::sines());
    skipFirstReport();
    connectTo (source);
    ASSERT_TRUE (waitForBroadcasting());
    ASSERT_TRUE (pumpUntil ([&] { return ! listener.reports.empty() && listener.reports.back() == "begun 2"; }));

    const auto connection = receiver.ndiReceiver;
    listener.reports.clear();
    connectTo (source);

    EXPECT_EQ (listener.reports, std::vector<std::string> { "begun 2" });
    EXPECT_EQ (receiver.ndiReceiver, connection);
    EXPECT_TRUE (receiver.isBroadcasting.load());
}

TEST_F (NDIReceiverTest, AnotherSourceReconnectsAndReportsTheNewState)
{
    RealTimeSource first ("First", 48000, 2, RealTimeSource::sines());
    RealTimeSource second ("Second", 48000, 8, RealTimeSource::sines());
    skipFirstReport();

    connectTo (first);
    ASSERT_TRUE (waitForBroadcasting());
    ASSERT_TRUE (pumpUntil ([&] { return ! listener.reports.empty() && listener.reports.back() == "begun 2"; }));

    connectTo (second);
    EXPECT_FALSE (receiver.isBroadcasting.load());
    EXPECT_EQ (receiver.currentSource.name, juce::String (second.ndiName()));

    ASSERT_TRUE (waitForBroadcasting());
    ASSERT_TRUE (pumpUntil ([&] { return listener.reports.back() == "begun 8"; }));
    EXPECT_EQ (listener.reports, (std::vector<std::string> { "begun 2", "ended", "begun 8" }));
    EXPECT_EQ (test::bankSize (receiver), 8u);
}

TEST_F (NDIReceiverTest, RequestsQueuedBeforeTheConnectionAreNotAnswered)
{
    RealTimeSource source ("Stale requests", 48000, 2, RealTimeSource::sines());
    CaptureRecorder recorder;

    request (receiver, 100, 60);
    EXPECT_EQ (receiver.requestFifo.getNumReady(), 49);

    connectTo (source);
    ASSERT_TRUE (waitForBroadcasting (480));

    for (const auto& frame : recorder.frames())
        EXPECT_NE (frame.numSamples, 100) << "a request from before the connection was captured";
}

TEST_F (NDIReceiverTest, AnswersEachRequestWithExactlyThatManySamples)
{
    RealTimeSource source ("Exact answers", 48000, 2, RealTimeSource::sines());
    connectTo (source);
    ASSERT_TRUE (waitForBroadcasting());

    // Drain what the wait left behind, then ask for known amounts.
    ASSERT_TRUE (pumpUntil ([&] { return receiver.requestFifo.getNumReady() == 0; }));
    juce::Thread::sleep (20);
    std::vector<float> scratch (10240);

    for (auto& fifo : receiver.channelFifos)
        fifo->pull (scratch, fifo->getNumReady());

    request (receiver, 0);
    request (receiver, 256);
    request (receiver, 1000);

    ASSERT_TRUE (pumpUntil ([&] { return receiver.channelFifos[1]->getNumReady() == 1256; }));
    juce::Thread::sleep (20);

    for (auto& fifo : receiver.channelFifos)
        EXPECT_EQ (fifo->getNumReady(), 1256);
}

TEST_F (NDIReceiverTest, NoAudioFromANameThatIsNotOnTheNetwork)
{
    CaptureRecorder recorder;
    receiver.changeSource ({ "NOWHERE (Nothing)", {}, {} });
    juce::Thread::sleep (100);  // requests from before the thread started would be dropped
    request (receiver, 480, 20);

    ASSERT_TRUE (pumpUntil ([&] { return receiver.requestFifo.getNumReady() == 0 && recorder.size() >= 20; }));
    juce::MessageManager::getInstance()->runDispatchLoopUntil (50);

    EXPECT_FALSE (receiver.isBroadcasting.load());
    EXPECT_EQ (receiver.numChannels.load(), 0);
    EXPECT_EQ (test::bankSize (receiver), 0u);
}
