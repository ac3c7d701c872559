#include "Receiver.h"

#include "WireFormat.h"

#include <vector>

namespace ndirt
{

Receiver::Receiver (std::string sourceNdiName, std::string url, std::string ownName)
    : sourceName (std::move (sourceNdiName)),
      sourceUrl (std::move (url)),
      name (std::move (ownName))
{
    runtime->getHub().addReceiver (*this);
    thread = std::thread ([this] { run(); });
}

Receiver::~Receiver()
{
    {
        const std::lock_guard<std::mutex> guard (pauseLock);
        stopping = true;
    }

    pauseEnded.notify_all();
    thread.join();
    runtime->getHub().removeReceiver (*this);
}

void Receiver::setSink (AudioSink* newSink)
{
    const std::lock_guard<std::mutex> guard (sinkLock);
    sink = newSink;
}

void Receiver::push (const AudioBlock& block)
{
    const std::lock_guard<std::mutex> guard (sinkLock);

    if (sink != nullptr)
        sink->push (block);
}

void Receiver::setJoinedLocally (bool joined)
{
    joinedLocally = joined;
}

void Receiver::pause (std::chrono::milliseconds duration)
{
    std::unique_lock<std::mutex> guard (pauseLock);
    pauseEnded.wait_for (guard, duration, [this] { return stopping.load(); });
}

std::string Receiver::findUrl() const
{
    if (! sourceUrl.empty())
        return sourceUrl;

    for (const auto& source : runtime->getCatalogue().getSources (true))
        if (source.ndiName == sourceName)
            return source.url;

    return {};
}

void Receiver::run()
{
    while (! stopping)
    {
        if (! joinedLocally)
        {
            if (const auto endpoint = net::parseUrl (findUrl()))
            {
                const auto socket = net::connectTcp (*endpoint, connectTimeoutMs);

                if (socket.isValid())
                    receiveFrom (socket);
            }
        }

        pause (retryInterval);
    }
}

void Receiver::receiveFrom (const net::FileDescriptor& socket)
{
    wire::Parser parser;
    std::vector<uint8_t> buffer (65536);
    auto lastMessage = std::chrono::steady_clock::now();

    const auto onMessage = [&] (wire::Parser::Event event, const AudioBlock& block)
    {
        lastMessage = std::chrono::steady_clock::now();

        if (event == wire::Parser::Event::audio)
            push (block);
    };

    while (! stopping && ! joinedLocally)
    {
        if (net::waitReadable (socket.get(), 100))
        {
            const long received = net::receiveSome (socket.get(), buffer.data(), buffer.size());

            if (received < 0 || ! parser.feed (buffer.data(), (size_t) received, onMessage))
                return;
        }

        if (std::chrono::steady_clock::now() - lastMessage > silenceTimeout)
            return;
    }
}

} // namespace ndirt
