#pragma once

#include "SourceCatalogue.h"

#include <mutex>
#include <vector>

namespace ndirt
{

class Receiver;
class Sender;

/** Joins the receivers of this process to the senders of this process that
    carry the NDI name they ask for, whichever is created first, and keeps
    the catalogue's list of this process's senders. When several senders share
    a name, receivers join the newest. */
class LocalHub
{
public:
    explicit LocalHub (SourceCatalogue& catalogueToUpdate)  : catalogue (catalogueToUpdate) {}

    void addSender (Sender& sender);
    void removeSender (Sender& sender);

    void addReceiver (Receiver& receiver);
    void removeReceiver (Receiver& receiver);

private:
    struct Binding
    {
        Receiver* receiver;
        Sender* sender;     // null while no sender has the receiver's name
    };

    Sender* findSender (const std::string& ndiName) const;
    void connect (Binding& binding, Sender* sender);
    void publish();

    SourceCatalogue& catalogue;
    std::mutex lock;
    std::vector<Sender*> senders;
    std::vector<Binding> bindings;
};

} // namespace ndirt
