#include "ndi/NDISourceFinder.h"
#include "support/NDITestSupport.h"

#include <gtest/gtest.h>

using test::pumpUntil;

namespace
{
    /** Keeps every list a finder delivers. Other processes of the machine may
        publish sources too, so the tests look only at their own sources. */
    struct RecordingListener : public NDISourceFinder::Listener
    {
        void sourceListChanged (const juce::Array<NDISourceEntry>& sources) override
        {
            lists.push_back (sources);
            onMessageThread &= juce::MessageManager::existsAndIsCurrentThread();
        }

        bool lastListHas (const std::string& ndiName) const
        {
            if (lists.empty())
                return false;

            for (const auto& source : lists.back())
                if (source.name == juce::String (juce::CharPointer_UTF8 (ndiName.c_str())))
                    return true;

            return false;
        }

        std::vector<juce::Array<NDISourceEntry>> lists;
        bool onMessageThread = true;
    };

    struct Sender
    {
        explicit Sender (const std::string& name) : instance (NDIrt_send_create (name.c_str())) {}
        ~Sender() { NDIrt_send_destroy (instance); }
        std::string ndiName() const { return NDIrt_send_get_ndi_name (instance); }

        NDIrt_send_instance_t instance;
    };
}

TEST (NDISourceEntry, EqualOnlyWhenAllThreeTextsAre)
{
    const NDISourceEntry entry { "A (B)", "tcp://127.0.0.1:1", "2 ch" };

    EXPECT_EQ (entry, (NDISourceEntry { "A (B)", "tcp://127.0.0.1:1", "2 ch" }));
    EXPECT_NE (entry, (NDISourceEntry { "a (B)", "tcp://127.0.0.1:1", "2 ch" }));
    EXPECT_NE (entry, (NDISourceEntry { "A (B)", "tcp://127.0.0.1:2", "2 ch" }));
    EXPECT_NE (entry, (NDISourceEntry { "A (B)", "tcp://127.0.0.1:1", "8 ch" }));
    EXPECT_EQ (NDISourceEntry(), (NDISourceEntry { "", "", "" }));
}

TEST (NDISourceFinder, EveryListenerHearsTheCurrentListWhenOneRegisters)
{
    NDISourceFinder finder;
    RecordingListener first, second;

    finder.addListener (&first);
    ASSERT_TRUE (pumpUntil ([&] { return ! first.lists.empty(); }));

    const auto callsBefore = first.lists.size();
    finder.addListener (&second);
    ASSERT_TRUE (pumpUntil ([&] { return ! second.lists.empty(); }));

    EXPECT_GT (first.lists.size(), callsBefore);
    EXPECT_TRUE (first.onMessageThread && second.onMessageThread);

    finder.removeListener (&first);
    finder.removeListener (&second);
}

TEST (NDISourceFinder, PublishesSourcesThatComeAndGo)
{
    NDISourceFinder finder;
    RecordingListener listener;
    finder.addListener (&listener);

    std::string name;

    {
        Sender sender ("Sc\xc3\xa8ne \xe2\x80\x94 \xe6\x97\xa5\xe6\x9c\xac");
        name = sender.ndiName();

        ASSERT_TRUE (pumpUntil ([&] { return listener.lastListHas (name); }, 5000));
        EXPECT_TRUE (juce::String (juce::CharPointer_UTF8 (name.c_str())).endsWith (juce::CharPointer_UTF8 (" (Sc\xc3\xa8ne \xe2\x80\x94 \xe6\x97\xa5\xe6\x9c\xac)")));
    }

    ASSERT_TRUE (pumpUntil ([&] { return ! listener.lastListHas (name); }, 5000));
    EXPECT_TRUE (listener.onMessageThread);

    finder.removeListener (&listener);
}

TEST (NDISourceFinder, ChangesWhileTheMessageThreadIsBusyArriveAsOneCallWithTheNewestList)
{
    NDISourceFinder finder;
    RecordingListener listener;
    finder.addListener (&listener);
    ASSERT_TRUE (pumpUntil ([&] { return ! listener.lists.empty(); }));
    listener.lists.clear();

    // The message thread is busy (not pumped) while sources come and go over
    // several discovery passes.
    std::vector<std::unique_ptr<Sender>> senders;

    for (auto name : { "Busy one", "Busy two", "Busy three" })
    {
        senders.push_back (std::make_unique<Sender> (name));
        juce::Thread::sleep (900);
    }

    EXPECT_TRUE (listener.lists.empty());
    juce::MessageManager::getInstance()->runDispatchLoopUntil (100);

    ASSERT_EQ (listener.lists.size(), 1u);

    for (const auto& sender : senders)
        EXPECT_TRUE (listener.lastListHas (sender->ndiName())) << sender->ndiName();

    finder.removeListener (&listener);
}
