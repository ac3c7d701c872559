#include "LocalHub.h"

#include "Receiver.h"
#include "Sender.h"

#include <algorithm>

namespace ndirt
{

void LocalHub::addSender (Sender& sender)
{
    const std::lock_guard<std::mutex> guard (lock);
    senders.push_back (&sender);

    for (auto& binding : bindings)
        if (binding.receiver->getSourceName() == sender.getNdiName())
            connect (binding, &sender);

    publish();
}

void LocalHub::removeSender (Sender& sender)
{
    const std::lock_guard<std::mutex> guard (lock);
    senders.erase (std::remove (senders.begin(), senders.end(), &sender), senders.end());

    for (auto& binding : bindings)
        if (binding.sender == &sender)
            connect (binding, findSender (sender.getNdiName()));

    publish();
}

void LocalHub::addReceiver (Receiver& receiver)
{
    // A receiver given a URL goes there, even when a sender here has its name.
    if (! receiver.getSourceUrl().empty())
        return;

    const std::lock_guard<std::mutex> guard (lock);
    bindings.push_back ({ &receiver, nullptr });
    connect (bindings.back(), findSender (receiver.getSourceName()));
}

void LocalHub::removeReceiver (Receiver& receiver)
{
    const std::lock_guard<std::mutex> guard (lock);

    for (auto& binding : bindings)
        if (binding.receiver == &receiver)
            connect (binding, nullptr);

    bindings.erase (std::remove_if (bindings.begin(), bindings.end(),
                                    [&] (const Binding& b) { return b.receiver == &receiver; }),
                    bindings.end());
}

Sender* LocalHub::findSender (const std::string& ndiName) const
{
    const auto newest = std::find_if (senders.rbegin(), senders.rend(),
                                      [&] (const Sender* s) { return s->getNdiName() == ndiName; });
    return newest == senders.rend() ? nullptr : *newest;
}

void LocalHub::connect (Binding& binding, Sender* sender)
{
    if (binding.sender == sender)
        return;

    if (binding.sender != nullptr)
        binding.sender->removeSink (*binding.receiver);

    binding.sender = sender;
    binding.receiver->setJoinedLocally (sender != nullptr);

    if (sender != nullptr)
        sender->addSink (*binding.receiver);
}

void LocalHub::publish()
{
    std::vector<SourceInfo> sources;

    for (const auto* sender : senders)
        sources.push_back (sender->getSourceInfo());

    catalogue.setSources (SourceCatalogue::Provider::thisProcess, std::move (sources));
}

} // namespace ndirt
