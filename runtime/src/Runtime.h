#pragma once

#include "DiscoveryClient.h"
#include "LocalHub.h"
#include "Settings.h"
#include "SourceCatalogue.h"
#include "SourceDirectory.h"

#include <memory>
#include <string>

namespace ndirt
{

/** The runtime's shared services, alive while anyone uses the runtime:
    the catalogue of visible sources, the hub that joins receivers to the
    senders of this process, and the discovery services that fill the
    catalogue (the directory of this machine's sources, and a discovery server
    when the settings name one). Created with the first user, stopped with the
    last.

    Two kinds of users hold it: the library's users (NDIlib_v5_load() and the
    table's destroy()) and each object the runtime hands out (finders,
    receivers, synchronisers, senders), from its creation to its destruction.
    The first acquire() creates the services, the last release() destroys them.
    Counting the two kinds apart means that an unpaired destroy() can never take
    the runtime from under a living object. */
class Runtime
{
public:
    enum class User
    {
        library,
        object
    };

    static Runtime& acquire (User user);
    static void release (User user);

    SourceCatalogue& getCatalogue()         { return catalogue; }
    LocalHub& getHub()                      { return hub; }
    SourceDirectory& getDirectory()         { return directory; }
    const std::string& getHostName() const  { return hostName; }

private:
    Runtime();

    const Settings settings;
    const std::string hostName;
    SourceCatalogue catalogue;
    LocalHub hub { catalogue };
    SourceDirectory directory { settings.runtimeDirectory, catalogue };
    std::unique_ptr<DiscoveryClient> discoveryClient;   // when the settings name a server
};

/** Holds the runtime for the life of an object that uses it. */
class RuntimeReference
{
public:
    RuntimeReference() : runtime (Runtime::acquire (Runtime::User::object)) {}
    ~RuntimeReference()  { Runtime::release (Runtime::User::object); }

    RuntimeReference (const RuntimeReference&) = delete;
    RuntimeReference& operator= (const RuntimeReference&) = delete;

    Runtime& operator*() const   { return runtime; }
    Runtime* operator->() const  { return &runtime; }

private:
    Runtime& runtime;
};

} // namespace ndirt
