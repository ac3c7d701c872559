#pragma once

#include <optional>
#include <string>

namespace ndirt::net
{

/** Owns a file descriptor. */
class FileDescriptor
{
public:
    FileDescriptor() = default;
    explicit FileDescriptor (int descriptor) : fd (descriptor) {}
    ~FileDescriptor()  { reset(); }

    FileDescriptor (FileDescriptor&& other) noexcept : fd (other.release()) {}
    FileDescriptor& operator= (FileDescriptor&& other) noexcept;

    FileDescriptor (const FileDescriptor&) = delete;
    FileDescriptor& operator= (const FileDescriptor&) = delete;

    int get() const           { return fd; }
    bool isValid() const      { return fd >= 0; }
    int release();
    void reset (int descriptor = -1);

private:
    int fd = -1;
};

/** A TCP address: host (a name or a dotted IPv4 address) and port. */
struct Endpoint
{
    std::string host;
    int port = 0;
};

/** Parses "tcp://host:port"; an empty host is allowed (filled in by whoever knows it). */
std::optional<Endpoint> parseUrl (const std::string& url);

/** "tcp://host:port" */
std::string makeUrl (const std::string& host, int port);

/** Parses "host[:port]", taking defaultPort when no port is given. */
std::optional<Endpoint> parseHostAndPort (const std::string& text, int defaultPort);

/** A non-blocking listening TCP socket on address:port (port 0: any free one,
    bindAddress empty: all addresses); boundPort receives the port. Invalid on
    failure. */
FileDescriptor listenTcp (const std::string& bindAddress, int port, int& boundPort);

/** A non-blocking TCP connection to endpoint, made within timeoutMs; invalid on
    failure. */
FileDescriptor connectTcp (const Endpoint& endpoint, int timeoutMs);

/** Accepts one pending connection as a non-blocking socket; invalid if none.
    peerAddress receives the peer's dotted address. */
FileDescriptor acceptTcp (int listener, std::string& peerAddress);

void setNonBlocking (int fd);

/** Sends as much of size bytes as the socket takes now; returns the count, or
    -1 when the connection is broken. */
long sendSome (int fd, const void* data, size_t size);

/** Receives what is there, up to size bytes; returns the count, 0 when nothing
    is there yet, or -1 when the connection is closed or broken. */
long receiveSome (int fd, void* data, size_t size);

/** Waits up to timeoutMs for fd to become readable (or closed). */
bool waitReadable (int fd, int timeoutMs);

} // namespace ndirt::net
