#include "ndi/NDISourceFinder.h"

NDISourceFinder::NDISourceFinder()
    : juce::Thread ("NDISourceFinder")
{
    ndiLib = NDIlib_v5_load();

    NDIlib_find_create_t settings {};
    settings.show_local_sources = true;
    settings.p_groups = nullptr;
    settings.p_extra_ips = nullptr;
    findInstance = NDIlib_find_create_v3 (&settings, nullptr);

    startThread (juce::Thread::Priority::normal);
}

NDISourceFinder::~NDISourceFinder()
{
    stopThread (1000);

    if (ndiLib != nullptr)
    {
        if (findInstance != nullptr)
            ndiLib->find_destroy (findInstance);

        ndiLib->destroy();
    }

    cancelPendingUpdate();
}

void NDISourceFinder::addListener (Listener* listener)
{
    if (listener != nullptr)
        listeners.add (listener);

    triggerAsyncUpdate();
}

void NDISourceFinder::removeListener (Listener* listener)
{
    listeners.remove (listener);
}

void NDISourceFinder::run()
{
    // Without a runtime or a finder there is nothing to discover: the list
    // stays empty.
    if (ndiLib == nullptr || findInstance == nullptr)
        return;

    while (! threadShouldExit())
    {
        if (ndiLib->find_wait_for_sources (findInstance, 500))
        {
            const auto current = readCurrentSources();

            {
                const juce::ScopedLock lock (sourcesLock);

                if (current != sources)
                {
                    sources = current;
                    triggerAsyncUpdate();
                }
            }

            if (threadShouldExit())
                return;
        }

        wait (250);
    }
}

juce::Array<NDISourceEntry> NDISourceFinder::readCurrentSources() const
{
    uint32_t count = 0;
    const auto* records = NDIlib_find_get_current_sources_v2 (findInstance, &count);
    juce::Array<NDISourceEntry> list;

    for (uint32_t i = 0; records != nullptr && i < count; ++i)
    {
        const auto& record = records[i];
        list.add ({ juce::String::fromUTF8 (record.p_ndi_name),
                    juce::String::fromUTF8 (record.p_url_address),
                    juce::String::fromUTF8 (record.p_extra_info) });
    }

    return list;
}

void NDISourceFinder::handleAsyncUpdate()
{
    juce::Array<NDISourceEntry> copy;

    {
        const juce::ScopedLock lock (sourcesLock);
        copy = sources;
    }

    listeners.call ([&copy] (Listener& l) { l.sourceListChanged (copy); });
}
