// ndir-discovery-server: lets senders and finders of our runtime on different
// machines find each other (protocol: runtime/src/DiscoveryProtocol.h). Every
// client announces its own sources; every client is told the sources of all
// the others. A client's sources go when its connection does.

#include "DiscoveryProtocol.h"
#include "Socket.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <poll.h>

using namespace ndirt;

namespace
{
    std::atomic<bool> interrupted { false };

    constexpr size_t maxPendingBytes = 1u << 20;

    struct Client
    {
        net::FileDescriptor socket;
        std::string address;
        discovery::ListReader reader;
        std::vector<SourceInfo> sources;
        std::string pending;
        bool broken = false;
    };

    class Server
    {
    public:
        explicit Server (net::FileDescriptor listeningSocket) : listener (std::move (listeningSocket)) {}

        void run()
        {
            while (! interrupted)
            {
                std::vector<pollfd> polled { { listener.get(), POLLIN, 0 } };

                for (const auto& client : clients)
                    polled.push_back ({ client->socket.get(), (short) (POLLIN | (client->pending.empty() ? 0 : POLLOUT)), 0 });

                if (::poll (polled.data(), polled.size(), 500) <= 0)
                    continue;

                bool changed = false;

                for (size_t i = 1; i < polled.size(); ++i)
                    if (polled[i].revents != 0)
                        changed = serve (*clients[i - 1]) || changed;

                changed = dropBroken() || changed;
                accept();

                if (changed)
                {
                    broadcast();
                    report();
                }
            }
        }

    private:
        /** Reads and writes what a client's socket allows; true when its
            sources changed. */
        bool serve (Client& client)
        {
            bool changed = false;
            char buffer[4096];
            const long received = net::receiveSome (client.socket.get(), buffer, sizeof (buffer));

            const bool ok = received >= 0
                && client.reader.feed (buffer, (size_t) received, [&] (std::vector<SourceInfo>&& sources)
                   {
                       for (auto& source : sources)
                       {
                           // "tcp://:PORT": the sender's port at the address we see it at.
                           const auto endpoint = net::parseUrl (source.url);

                           if (endpoint.has_value() && endpoint->host.empty())
                               source.url = net::makeUrl (client.address, endpoint->port);
                       }

                       changed = changed || sources != client.sources;
                       client.sources = std::move (sources);
                   });

            if (! ok)
            {
                if (! client.reader.getError().empty())
                    std::printf ("%s: %s; disconnected\n", client.address.c_str(), client.reader.getError().c_str());

                client.broken = true;
            }

            flush (client);
            return changed;
        }

        static void flush (Client& client)
        {
            const long sent = client.pending.empty() ? 0 : net::sendSome (client.socket.get(), client.pending.data(), client.pending.size());

            if (sent < 0)
                client.broken = true;
            else
                client.pending.erase (0, (size_t) sent);
        }

        bool dropBroken()
        {
            const auto before = clients.size();
            bool hadSources = false;

            for (const auto& client : clients)
                hadSources = hadSources || (client->broken && ! client->sources.empty());

            clients.erase (std::remove_if (clients.begin(), clients.end(), [] (const auto& c) { return c->broken; }), clients.end());
            return hadSources || clients.size() != before;
        }

        void accept()
        {
            std::string address;

            for (auto socket = net::acceptTcp (listener.get(), address); socket.isValid();
                 socket = net::acceptTcp (listener.get(), address))
            {
                auto client = std::make_unique<Client>();
                client->socket = std::move (socket);
                client->address = address;
                clients.push_back (std::move (client));
                send (*clients.back());
                report();
            }
        }

        /** Queues for a client the sources of all the others. */
        void send (Client& client)
        {
            std::vector<SourceInfo> others;

            for (const auto& other : clients)
                if (other.get() != &client)
                    others.insert (others.end(), other->sources.begin(), other->sources.end());

            const auto text = discovery::encode (others);

            if (client.pending.size() + text.size() > maxPendingBytes)
                client.broken = true;   // not reading: dropped next round
            else
                client.pending += text;

            flush (client);
        }

        void broadcast()
        {
            for (auto& client : clients)
                send (*client);
        }

        void report() const
        {
            size_t sources = 0;

            for (const auto& client : clients)
                sources += client->sources.size();

            std::printf ("%zu client(s), %zu source(s)\n", clients.size(), sources);
            std::fflush (stdout);
        }

        net::FileDescriptor listener;
        std::vector<std::unique_ptr<Client>> clients;
    };
}

int main (int argc, char** argv)
{
    std::string bindAddress;
    int port = 5990;

    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];

        if (arg == "--port" && i + 1 < argc)
            port = std::atoi (argv[++i]);
        else if (arg == "--bind" && i + 1 < argc)
            bindAddress = argv[++i];
        else
        {
            std::fprintf (stderr, "usage: ndir-discovery-server [--port PORT (5990)] [--bind ADDRESS (all)]\n");
            return 2;
        }
    }

    int boundPort = 0;
    auto listener = net::listenTcp (bindAddress, port, boundPort);

    if (! listener.isValid())
    {
        std::fprintf (stderr, "ndir-discovery-server: cannot listen on %s:%d\n", bindAddress.empty() ? "*" : bindAddress.c_str(), port);
        return 1;
    }

    std::signal (SIGINT, [] (int) { interrupted = true; });
    std::signal (SIGTERM, [] (int) { interrupted = true; });
    std::signal (SIGPIPE, SIG_IGN);

    std::printf ("Discovery server listening on %s:%d\n", bindAddress.empty() ? "*" : bindAddress.c_str(), boundPort);
    std::fflush (stdout);

    Server (std::move (listener)).run();
    return 0;
}
