#pragma once

#include "AudioBlock.h"
#include "Runtime.h"
#include "Socket.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace ndirt
{

/** Receives the audio of the source with a given NDI name and hands it to its
    sink (its frame synchroniser); audio arriving while it has no sink is
    dropped.

    A sender of this process with that name is joined directly (by the
    LocalHub). Otherwise a thread looks the name up among the sources found,
    connects to its URL over TCP and reads its messages; when the connection
    ends, fails, carries malformed data or stays silent (no message, not even
    a keep-alive, for 3 s), it looks the name up again and reconnects, so a
    restarted sender is found on its new port. A receiver created with a URL
    connects to that URL only. */
class Receiver : public AudioSink
{
public:
    static constexpr auto silenceTimeout = std::chrono::seconds (3);
    static constexpr auto retryInterval = std::chrono::milliseconds (250);
    static constexpr int connectTimeoutMs = 250;   // plenty on a LAN; bounds how long destruction waits

    Receiver (std::string sourceNdiName, std::string sourceUrl, std::string ownName);
    ~Receiver() override;

    Receiver (const Receiver&) = delete;
    Receiver& operator= (const Receiver&) = delete;

    const std::string& getSourceName() const  { return sourceName; }
    const std::string& getSourceUrl() const   { return sourceUrl; }
    const std::string& getName() const        { return name; }

    /** Sets or, with null, removes the sink; once this returns, the previous
        sink gets no more audio. */
    void setSink (AudioSink* newSink);

    void push (const AudioBlock& block) override;

    /** Told by the LocalHub while a sender of this process feeds the receiver. */
    void setJoinedLocally (bool joined);

private:
    void run();
    std::string findUrl() const;
    void receiveFrom (const net::FileDescriptor& socket);
    void pause (std::chrono::milliseconds duration);

    RuntimeReference runtime;
    const std::string sourceName;
    const std::string sourceUrl;
    const std::string name;

    std::mutex sinkLock;
    AudioSink* sink = nullptr;

    std::atomic<bool> joinedLocally { false };
    std::atomic<bool> stopping { false };
    std::mutex pauseLock;
    std::condition_variable pauseEnded;
    std::thread thread;
};

} // namespace ndirt
