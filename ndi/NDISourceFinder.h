#pragma once

#include "ndi/NDISourceEntry.h"

#include <NDIRuntime.h>

#include <juce_events/juce_events.h>

/**
    Keeps the list of NDI sources on the network up to date and tells listeners
    of every change, on the message thread.

    Its thread waits in the runtime for a change of the list, copies the list
    when it changed, and hands it over through juce::AsyncUpdater: several
    changes before the message thread gets to them arrive as one call with the
    newest list.
*/
class NDISourceFinder : public juce::Thread,
                        public juce::AsyncUpdater
{
public:
    class Listener
    {
    public:
        virtual ~Listener() = default;
        virtual void sourceListChanged (const juce::Array<NDISourceEntry>& sources) = 0;
    };

    NDISourceFinder();
    ~NDISourceFinder() override;

    /** Adds a listener (message thread); every listener then hears the current list again. */
    void addListener (Listener* listener);
    void removeListener (Listener* listener);

private:
    void run() override;
    void handleAsyncUpdate() override;

    juce::Array<NDISourceEntry> readCurrentSources() const;

    juce::Array<NDISourceEntry> sources;
    NDIlib_find_instance_t findInstance = nullptr;
    const NDIlib_v5* ndiLib = nullptr;
    juce::ListenerList<Listener> listeners;
    juce::CriticalSection sourcesLock;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (NDISourceFinder)
};
