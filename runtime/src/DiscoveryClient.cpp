#include "DiscoveryClient.h"

#include "DiscoveryProtocol.h"

#include <poll.h>

namespace ndirt
{

namespace
{
    /** Sends all of text, waiting up to a second for room. */
    bool sendAll (int fd, const std::string& text)
    {
        size_t sent = 0;

        while (sent < text.size())
        {
            const long n = net::sendSome (fd, text.data() + sent, text.size() - sent);

            if (n < 0)
                return false;

            pollfd p { fd, POLLOUT, 0 };

            if (n == 0 && ::poll (&p, 1, 1000) != 1)
                return false;

            sent += (size_t) n;
        }

        return true;
    }

    /** Our senders as the server should announce them: it knows our address. */
    std::vector<SourceInfo> forServer (std::vector<SourceInfo> sources)
    {
        for (auto& source : sources)
            if (const auto endpoint = net::parseUrl (source.url))
                source.url = net::makeUrl ({}, endpoint->port);

        return sources;
    }
}

DiscoveryClient::DiscoveryClient (net::Endpoint serverEndpoint, std::string thisHostName, SourceCatalogue& catalogueToUse)
    : server (std::move (serverEndpoint)),
      hostName (std::move (thisHostName)),
      catalogue (catalogueToUse),
      thread ([this] { run(); })
{
}

DiscoveryClient::~DiscoveryClient()
{
    {
        const std::lock_guard<std::mutex> guard (stopLock);
        stopping = true;
    }

    stopSignal.notify_all();
    thread.join();
    catalogue.setSources (SourceCatalogue::Provider::discoveryServer, {});
}

bool DiscoveryClient::stopRequested()
{
    const std::lock_guard<std::mutex> guard (stopLock);
    return stopping;
}

void DiscoveryClient::run()
{
    while (! stopRequested())
    {
        // A short attempt: stopping the runtime waits for it.
        const auto socket = net::connectTcp (server, 250);

        if (socket.isValid())
            talk (socket);

        catalogue.setSources (SourceCatalogue::Provider::discoveryServer, {});

        std::unique_lock<std::mutex> guard (stopLock);
        stopSignal.wait_for (guard, retryInterval, [this] { return stopping; });
    }
}

void DiscoveryClient::talk (const net::FileDescriptor& socket)
{
    discovery::ListReader reader;
    std::string announced;
    bool first = true;
    char buffer[4096];

    const auto onList = [&] (std::vector<SourceInfo>&& sources)
    {
        const auto ours = hostName + " (";

        for (auto& source : sources)
            source.onThisMachine = source.ndiName.compare (0, ours.size(), ours) == 0;

        catalogue.setSources (SourceCatalogue::Provider::discoveryServer, std::move (sources));
    };

    while (! stopRequested())
    {
        const auto list = discovery::encode (forServer (catalogue.getSourcesOf (SourceCatalogue::Provider::thisProcess)));

        if ((first || list != announced) && ! sendAll (socket.get(), list))
            return;

        announced = list;
        first = false;

        if (net::waitReadable (socket.get(), 100))
        {
            const long received = net::receiveSome (socket.get(), buffer, sizeof (buffer));

            if (received < 0 || ! reader.feed (buffer, (size_t) received, onList))
                return;
        }
    }
}

} // namespace ndirt
