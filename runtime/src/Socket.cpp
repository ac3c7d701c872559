#include "Socket.h"

#include <cerrno>
#include <cstring>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace ndirt::net
{

FileDescriptor& FileDescriptor::operator= (FileDescriptor&& other) noexcept
{
    reset (other.release());
    return *this;
}

int FileDescriptor::release()
{
    const int old = fd;
    fd = -1;
    return old;
}

void FileDescriptor::reset (int descriptor)
{
    if (fd >= 0)
        ::close (fd);

    fd = descriptor;
}

std::optional<Endpoint> parseUrl (const std::string& url)
{
    const std::string scheme = "tcp://";

    if (url.compare (0, scheme.size(), scheme) != 0)
        return std::nullopt;

    return parseHostAndPort (url.substr (scheme.size()), 0);
}

std::string makeUrl (const std::string& host, int port)
{
    return "tcp://" + host + ":" + std::to_string (port);
}

std::optional<Endpoint> parseHostAndPort (const std::string& text, int defaultPort)
{
    Endpoint endpoint;
    const auto colon = text.rfind (':');
    endpoint.host = text.substr (0, colon);
    endpoint.port = defaultPort;

    if (colon != std::string::npos)
    {
        const auto portText = text.substr (colon + 1);

        if (portText.empty() || portText.size() > 5 || portText.find_first_not_of ("0123456789") != std::string::npos)
            return std::nullopt;

        endpoint.port = std::stoi (portText);
    }

    if (endpoint.port <= 0 || endpoint.port > 65535)
        return std::nullopt;

    return endpoint;
}

void setNonBlocking (int fd)
{
    ::fcntl (fd, F_SETFL, ::fcntl (fd, F_GETFL) | O_NONBLOCK);
}

namespace
{
    bool resolve (const std::string& host, int port, sockaddr_in& address)
    {
        std::memset (&address, 0, sizeof (address));
        address.sin_family = AF_INET;
        address.sin_port = htons ((uint16_t) port);

        if (host.empty())
        {
            address.sin_addr.s_addr = htonl (INADDR_ANY);
            return true;
        }

        if (::inet_pton (AF_INET, host.c_str(), &address.sin_addr) == 1)
            return true;

        addrinfo hints {};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;

        if (::getaddrinfo (host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr)
            return false;

        address.sin_addr = reinterpret_cast<sockaddr_in*> (found->ai_addr)->sin_addr;
        ::freeaddrinfo (found);
        return true;
    }
}

FileDescriptor listenTcp (const std::string& bindAddress, int port, int& boundPort)
{
    sockaddr_in address {};

    if (! resolve (bindAddress, port, address))
        return {};

    FileDescriptor fd (::socket (AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));

    if (! fd.isValid())
        return {};

    const int yes = 1;
    ::setsockopt (fd.get(), SOL_SOCKET, SO_REUSEADDR, &yes, sizeof (yes));

    if (::bind (fd.get(), reinterpret_cast<sockaddr*> (&address), sizeof (address)) != 0
        || ::listen (fd.get(), 16) != 0)
        return {};

    socklen_t length = sizeof (address);
    ::getsockname (fd.get(), reinterpret_cast<sockaddr*> (&address), &length);
    boundPort = ntohs (address.sin_port);
    return fd;
}

FileDescriptor connectTcp (const Endpoint& endpoint, int timeoutMs)
{
    sockaddr_in address {};

    if (endpoint.host.empty() || ! resolve (endpoint.host, endpoint.port, address))
        return {};

    FileDescriptor fd (::socket (AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));

    if (! fd.isValid())
        return {};

    if (::connect (fd.get(), reinterpret_cast<sockaddr*> (&address), sizeof (address)) != 0)
    {
        if (errno != EINPROGRESS)
            return {};

        pollfd p { fd.get(), POLLOUT, 0 };
        int error = 0;
        socklen_t length = sizeof (error);

        if (::poll (&p, 1, timeoutMs) != 1
            || ::getsockopt (fd.get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0)
            return {};
    }

    const int yes = 1;
    ::setsockopt (fd.get(), IPPROTO_TCP, TCP_NODELAY, &yes, sizeof (yes));
    return fd;
}

FileDescriptor acceptTcp (int listener, std::string& peerAddress)
{
    sockaddr_in address {};
    socklen_t length = sizeof (address);
    FileDescriptor fd (::accept4 (listener, reinterpret_cast<sockaddr*> (&address), &length, SOCK_CLOEXEC | SOCK_NONBLOCK));

    if (fd.isValid())
    {
        char text[INET_ADDRSTRLEN] = {};
        ::inet_ntop (AF_INET, &address.sin_addr, text, sizeof (text));
        peerAddress = text;

        const int yes = 1;
        ::setsockopt (fd.get(), IPPROTO_TCP, TCP_NODELAY, &yes, sizeof (yes));
    }

    return fd;
}

long sendSome (int fd, const void* data, size_t size)
{
    const auto sent = ::send (fd, data, size, MSG_NOSIGNAL);

    if (sent >= 0)
        return sent;

    return (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) ? 0 : -1;
}

long receiveSome (int fd, void* data, size_t size)
{
    const auto received = ::recv (fd, data, size, 0);

    if (received > 0)
        return received;

    if (received == 0)
        return -1;

    return (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) ? 0 : -1;
}

bool waitReadable (int fd, int timeoutMs)
{
    pollfd p { fd, POLLIN, 0 };
    return ::poll (&p, 1, timeoutMs) == 1;
}

} // namespace ndirt::net
