#include "common/MessageThreadCaller.h"

#include <gtest/gtest.h>

#include <thread>

namespace
{
    void callFromAnotherThread (MessageThreadCaller& caller, std::function<void()> function)
    {
        std::thread other ([&] { caller.call (std::move (function)); });
        other.join();
    }

    void pumpMessages()
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
    }
}

TEST (MessageThreadCaller, RunsAtOnceOnTheMessageThread)
{
    MessageThreadCaller caller;
    bool ran = false;

    caller.call ([&] { ran = true; });
    EXPECT_TRUE (ran);
}

TEST (MessageThreadCaller, MovesCallsFromOtherThreadsToTheMessageThreadInOrder)
{
    MessageThreadCaller caller;
    std::vector<int> order;
    std::vector<bool> onMessageThread;

    for (int i = 0; i < 3; ++i)
        callFromAnotherThread (caller, [&, i]
        {
            order.push_back (i);
            onMessageThread.push_back (juce::MessageManager::existsAndIsCurrentThread());
        });

    EXPECT_TRUE (order.empty());
    pumpMessages();

    EXPECT_EQ (order, (std::vector<int> { 0, 1, 2 }));
    EXPECT_EQ (onMessageThread, (std::vector<bool> { true, true, true }));
}

TEST (MessageThreadCaller, DropsPostedCallsOnceTheOwnerIsGone)
{
    bool ran = false;

    {
        MessageThreadCaller caller;
        callFromAnotherThread (caller, [&] { ran = true; });
    }

    pumpMessages();
    EXPECT_FALSE (ran);
}
