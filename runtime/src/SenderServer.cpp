#include "SenderServer.h"

#include "WireFormat.h"

#include <algorithm>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace ndirt
{

SenderServer::SenderServer()
    : listener (net::listenTcp ({}, 0, port)),
      wakeEvent (::eventfd (0, EFD_CLOEXEC | EFD_NONBLOCK)),
      lastMessage (std::chrono::steady_clock::now())
{
    if (listener.isValid())
        thread = std::thread ([this] { run(); });
}

SenderServer::~SenderServer()
{
    stopping = true;
    wake();

    if (thread.joinable())
        thread.join();
}

int SenderServer::getNumConnections() const
{
    const std::lock_guard<std::mutex> guard (lock);
    return (int) connections.size();
}

void SenderServer::send (const AudioBlock& block)
{
    std::vector<uint8_t> message;
    wire::appendAudio (block, message);
    queue (message);
}

void SenderServer::queue (const std::vector<uint8_t>& message)
{
    bool needsWake = false;

    {
        const std::lock_guard<std::mutex> guard (lock);
        lastMessage = std::chrono::steady_clock::now();

        for (auto& connection : connections)
        {
            if (connection->pending.size() + message.size() > maxPendingBytes)
            {
                connection->broken = true;
                needsWake = true;
                continue;
            }

            connection->pending.insert (connection->pending.end(), message.begin(), message.end());

            // Write at once on the sending thread; the server thread only
            // finishes what the socket did not take.
            flush (*connection);
            needsWake = needsWake || ! connection->pending.empty() || connection->broken;
        }
    }

    if (needsWake)
        wake();
}

void SenderServer::flush (Connection& connection)
{
    while (! connection.pending.empty() && ! connection.broken)
    {
        const long sent = net::sendSome (connection.socket.get(), connection.pending.data(), connection.pending.size());

        if (sent < 0)
            connection.broken = true;
        else if (sent == 0)
            return;
        else
            connection.pending.erase (connection.pending.begin(), connection.pending.begin() + sent);
    }
}

void SenderServer::wake()
{
    const uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write (wakeEvent.get(), &one, sizeof (one));
}

void SenderServer::run()
{
    std::vector<pollfd> polled;
    std::vector<uint8_t> ignored (65536);

    while (! stopping)
    {
        polled.assign ({ { wakeEvent.get(), POLLIN, 0 }, { listener.get(), POLLIN, 0 } });

        {
            const std::lock_guard<std::mutex> guard (lock);

            for (const auto& connection : connections)
                polled.push_back ({ connection->socket.get(),
                                    (short) (POLLIN | (connection->pending.empty() ? 0 : POLLOUT)), 0 });
        }

        ::poll (polled.data(), polled.size(), (int) keepAliveInterval.count() / 2);

        if (polled[0].revents != 0)
        {
            uint64_t count = 0;
            [[maybe_unused]] const auto read = ::read (wakeEvent.get(), &count, sizeof (count));
        }

        const std::lock_guard<std::mutex> guard (lock);

        // Connections polled above are the first ones of the list, in order:
        // new ones are only appended below.
        for (size_t i = 2; i < polled.size(); ++i)
        {
            auto& connection = *connections[i - 2];

            if ((polled[i].revents & (POLLIN | POLLHUP | POLLERR)) != 0
                && net::receiveSome (connection.socket.get(), ignored.data(), ignored.size()) < 0)
                connection.broken = true;

            flush (connection);
        }

        connections.erase (std::remove_if (connections.begin(), connections.end(),
                                           [] (const auto& c) { return c->broken; }),
                           connections.end());

        std::string peer;

        for (auto socket = net::acceptTcp (listener.get(), peer); socket.isValid(); socket = net::acceptTcp (listener.get(), peer))
        {
            auto connection = std::make_unique<Connection>();
            connection->socket = std::move (socket);
            connections.push_back (std::move (connection));
        }

        if (std::chrono::steady_clock::now() - lastMessage >= keepAliveInterval)
        {
            std::vector<uint8_t> keepAlive;
            wire::appendKeepAlive (keepAlive);
            lastMessage = std::chrono::steady_clock::now();

            for (auto& connection : connections)
            {
                connection->pending.insert (connection->pending.end(), keepAlive.begin(), keepAlive.end());
                flush (*connection);
            }
        }
    }
}

} // namespace ndirt
