#pragma once

#include "AudioBlock.h"
#include "Socket.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace ndirt
{

/** Serves a sender's audio over TCP to any number of receivers, in the framed
    format of WireFormat.h. A thread accepts connections, writes what the
    sender queued, and sends a keep-alive when the sender is quiet, so that
    receivers can tell a silent sender from a dead connection.

    A receiver that does not keep up (more than 8 MiB waiting for it) is
    dropped; whatever a receiver sends is read and ignored. Neither affects the
    other receivers. */
class SenderServer
{
public:
    static constexpr size_t maxPendingBytes = 8u << 20;
    static constexpr auto keepAliveInterval = std::chrono::milliseconds (500);

    /** Listens on every address of this machine, on a free port. */
    SenderServer();
    ~SenderServer();

    bool isListening() const  { return listener.isValid(); }
    int getPort() const       { return port; }
    int getNumConnections() const;

    /** Queues block for every connected receiver. */
    void send (const AudioBlock& block);

private:
    struct Connection
    {
        net::FileDescriptor socket;
        std::vector<uint8_t> pending;
        bool broken = false;
    };

    void run();
    void queue (const std::vector<uint8_t>& message);
    static void flush (Connection& connection);
    void wake();

    int port = 0;                       // set by the listener's creation
    net::FileDescriptor listener;
    net::FileDescriptor wakeEvent;

    mutable std::mutex lock;
    std::vector<std::unique_ptr<Connection>> connections;
    std::chrono::steady_clock::time_point lastMessage;

    std::atomic<bool> stopping { false };
    std::thread thread;
};

} // namespace ndirt
