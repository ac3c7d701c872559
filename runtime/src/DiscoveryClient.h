#pragma once

#include "SourceCatalogue.h"
#include "Socket.h"

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace ndirt
{

/** The runtime's link to a discovery server (see DiscoveryProtocol.h): it
    announces the senders of this process there and lists the sources the
    server knows of. Keeps reconnecting, once a second, while the server cannot
    be reached; the server's sources are dropped while disconnected. */
class DiscoveryClient
{
public:
    static constexpr auto retryInterval = std::chrono::seconds (1);

    DiscoveryClient (net::Endpoint server, std::string thisHostName, SourceCatalogue& catalogueToUse);
    ~DiscoveryClient();

private:
    void run();
    void talk (const net::FileDescriptor& socket);
    bool stopRequested();

    const net::Endpoint server;
    const std::string hostName;
    SourceCatalogue& catalogue;

    std::mutex stopLock;
    std::condition_variable stopSignal;
    bool stopping = false;
    std::thread thread;
};

} // namespace ndirt
