#pragma once

#include <juce_events/juce_events.h>

#include <atomic>
#include <functional>
#include <memory>

/**
    Runs functions on the message thread on behalf of an object that lives there.

    Called on the message thread, a function runs at once. Called on any other
    thread (a host restoring state on a worker thread, say), it is posted to the
    message thread and runs there later, in order, unless the caller has been
    destroyed by then. Owners are destroyed on the message thread, so a posted
    function never runs on a dead owner.
*/
class MessageThreadCaller
{
public:
    MessageThreadCaller() = default;

    ~MessageThreadCaller()
    {
        alive->store (false);
    }

    void call (std::function<void()> function)
    {
        if (juce::MessageManager::existsAndIsCurrentThread())
        {
            function();
            return;
        }

        juce::MessageManager::callAsync ([isAlive = alive, fn = std::move (function)]
        {
            if (isAlive->load())
                fn();
        });
    }

private:
    std::shared_ptr<std::atomic<bool>> alive = std::make_shared<std::atomic<bool>> (true);

    JUCE_DECLARE_NON_COPYABLE (MessageThreadCaller)
};
