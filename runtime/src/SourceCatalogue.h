#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace ndirt
{

/** One source as finders list it. */
struct SourceInfo
{
    std::string ndiName;
    std::string url;
    std::string extraInfo;
    bool onThisMachine = true;

    bool operator== (const SourceInfo& other) const
    {
        return ndiName == other.ndiName && url == other.url && extraInfo == other.extraInfo
            && onThisMachine == other.onThisMachine;
    }

    bool operator!= (const SourceInfo& other) const  { return ! operator== (other); }
};

/** Every source visible to this process, gathered from several providers
    (the senders of this process, and the discovery services), each of which
    replaces its own part of the list. Finders wait on it for changes. */
class SourceCatalogue
{
public:
    enum class Provider
    {
        thisProcess,
        thisMachine,
        discoveryServer
    };

    /** Replaces the sources of a provider; wakes waiting finders on a change. */
    void setSources (Provider provider, std::vector<SourceInfo> sources);

    /** All sources, ordered by NDI name, each name once; the ones on this
        machine only when includeThisMachine is true. */
    std::vector<SourceInfo> getSources (bool includeThisMachine) const;

    /** The sources of one provider, as it set them. */
    std::vector<SourceInfo> getSourcesOf (Provider provider) const;

    /** Counts the changes of the list. */
    uint64_t getGeneration() const;

    /** Waits until the generation differs from knownGeneration or until the
        deadline passes. */
    void waitForChange (uint64_t knownGeneration, std::chrono::steady_clock::time_point deadline) const;

private:
    mutable std::mutex lock;
    mutable std::condition_variable changed;
    std::map<Provider, std::vector<SourceInfo>> sourcesByProvider;
    uint64_t generation = 0;
};

} // namespace ndirt
