#include "common/Fifo.h"

#include <gtest/gtest.h>

#include <numeric>
#include <thread>

namespace
{
    using SampleFifo = Fifo<float, 10240, true>;

    std::vector<float> ramp (int count, float first = 0.0f)
    {
        std::vector<float> samples ((size_t) count);
        std::iota (samples.begin(), samples.end(), first);
        return samples;
    }

    // A small FIFO shows wrapping and capacity with few samples.
    using SmallFifo = Fifo<float, 8, true>;
}

TEST (Fifo, HoldsOneElementLessThanItsSize)
{
    Fifo<int, 50, true> requests;

    for (int i = 0; i < 49; ++i)
        EXPECT_TRUE (requests.push (i));

    EXPECT_FALSE (requests.push (49));

    for (int i = 0; i < 49; ++i)
    {
        int value = -1;
        ASSERT_TRUE (requests.pull (value));
        EXPECT_EQ (value, i);
    }
}

TEST (Fifo, PullFromEmptyLeavesArgumentUntouched)
{
    Fifo<int, 50, true> requests;
    int value = 1234;

    EXPECT_FALSE (requests.pull (value));
    EXPECT_EQ (value, 1234);
}

TEST (Fifo, ChannelMapFifoHolds99AndDropsThe100th)
{
    auto fifo = std::make_unique<Fifo<std::vector<int>, 100, true>>();

    for (int i = 0; i < 99; ++i)
        EXPECT_TRUE (fifo->push (std::vector<int> (3, i)));

    EXPECT_FALSE (fifo->push ({ 999 }));

    std::vector<int> map;
    int count = 0;

    while (fifo->pull (map))
        EXPECT_EQ (map, std::vector<int> (3, count++));

    EXPECT_EQ (count, 99);
}

TEST (Fifo, BlockPushIsAllOrNothing)
{
    struct Case { int preload; int push; bool fits; };

    const Case cases[] {
        { 0,     10239, true  },
        { 0,     10240, false },
        { 0,     20000, false },
        { 1,     10238, true  },
        { 1,     10239, false },
        { 10000, 240,   false },
        { 10000, 239,   true  },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << "preload " << c.preload << ", push " << c.push);

        auto fifo = std::make_unique<SampleFifo>();

        if (c.preload > 0)
        {
            ASSERT_TRUE (fifo->push (ramp (c.preload)));
        }

        EXPECT_EQ (fifo->push (ramp (c.push, 100000.0f)), c.fits);
        EXPECT_EQ (fifo->getNumReady(), c.preload + (c.fits ? c.push : 0));

        // A failed push leaves the readable contents exactly as they were.
        if (! c.fits && c.preload > 0)
        {
            std::vector<float> out ((size_t) c.preload);
            ASSERT_TRUE (fifo->pull (out, c.preload));
            EXPECT_EQ (out, ramp (c.preload));
        }
    }
}

TEST (Fifo, BlocksKeepTheirOrderAcrossTheEndOfTheRing)
{
    SmallFifo fifo;
    std::vector<float> out (7);

    // Move the positions near the end of the ring, then push a block that wraps.
    ASSERT_TRUE (fifo.push (ramp (5)));
    ASSERT_TRUE (fifo.pull (out, 5));

    ASSERT_TRUE (fifo.push (ramp (7, 10.0f)));
    ASSERT_TRUE (fifo.pull (out, 7));
    EXPECT_EQ (out, ramp (7, 10.0f));

    // And a pull that wraps on its own: 3 then 4 across the end.
    ASSERT_TRUE (fifo.push (ramp (3, 20.0f)));
    ASSERT_TRUE (fifo.push (ramp (4, 23.0f)));
    ASSERT_TRUE (fifo.pull (out, 7));
    EXPECT_EQ (out, ramp (7, 20.0f));
}

TEST (Fifo, FailedBlockPullDiscardsWhatWasReady)
{
    auto fifo = std::make_unique<SampleFifo>();
    std::vector<float> out (256, -1.0f);

    ASSERT_TRUE (fifo->push (ramp (100)));
    EXPECT_FALSE (fifo->pull (out, 256));
    EXPECT_EQ (fifo->getNumReady(), 0);
    EXPECT_EQ (out, std::vector<float> (256, -1.0f));

    ASSERT_TRUE (fifo->push (ramp (200, 1000.0f)));
    EXPECT_FALSE (fifo->pull (out, 256));

    // Only 256 new samples make a pull of 256 succeed, and they are the new ones.
    ASSERT_TRUE (fifo->push (ramp (256, 5000.0f)));
    ASSERT_TRUE (fifo->pull (out, 256));
    EXPECT_EQ (out, ramp (256, 5000.0f));
}

TEST (Fifo, PullOfZeroSamplesSucceedsAndChangesNothing)
{
    SmallFifo fifo;
    std::vector<float> out;

    ASSERT_TRUE (fifo.push (ramp (3)));
    EXPECT_TRUE (fifo.pull (out, 0));
    EXPECT_EQ (fifo.getNumReady(), 3);
}

TEST (Fifo, ProducerAndConsumerThreadsSeeEverySampleInOrder)
{
    auto fifo = std::make_unique<SampleFifo>();
    constexpr int blockSize = 64;
    constexpr int numBlocks = 20000;

    std::thread producer ([&]
    {
        for (int b = 0; b < numBlocks;)
            if (fifo->push (ramp (blockSize, (float) (b * blockSize % 1000000))))
                ++b;
            else
                std::this_thread::yield();
    });

    std::vector<float> out (blockSize);
    int received = 0;

    while (received < numBlocks)
    {
        if (fifo->getNumReady() < blockSize)
        {
            std::this_thread::yield();
            continue;
        }

        ASSERT_TRUE (fifo->pull (out, blockSize));
        ASSERT_EQ (out, ramp (blockSize, (float) (received * blockSize % 1000000)));
        ++received;
    }

    producer.join();
}
