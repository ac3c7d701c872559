#include "Runtime.h"

#include <memory>
#include <mutex>

#include <unistd.h>

namespace ndirt
{

namespace
{
    std::mutex instanceLock;
    std::unique_ptr<Runtime> instance;
    int libraryUsers = 0;
    int objects = 0;

    int& countOf (Runtime::User user)  { return user == Runtime::User::library ? libraryUsers : objects; }

    std::string readHostName()
    {
        char name[256] = {};

        if (gethostname (name, sizeof (name) - 1) != 0 || name[0] == 0)
            return "localhost";

        return name;
    }
}

Runtime::Runtime()
    : settings (Settings::load()),
      hostName (readHostName())
{
    const auto server = net::parseHostAndPort (settings.discoveryServer, Settings::defaultDiscoveryPort);

    if (server.has_value() && ! server->host.empty())
        discoveryClient = std::make_unique<DiscoveryClient> (*server, hostName, catalogue);
}

Runtime& Runtime::acquire (User user)
{
    const std::lock_guard<std::mutex> guard (instanceLock);

    if (libraryUsers + objects == 0)
        instance.reset (new Runtime());

    ++countOf (user);
    return *instance;
}

void Runtime::release (User user)
{
    const std::lock_guard<std::mutex> guard (instanceLock);
    auto& count = countOf (user);

    // An unpaired release must not take the runtime away from its real users.
    if (count == 0)
        return;

    --count;

    if (libraryUsers + objects == 0)
        instance.reset();
}

} // namespace ndirt
