#include "SourceCatalogue.h"

#include <algorithm>
#include <tuple>

namespace ndirt
{

void SourceCatalogue::setSources (Provider provider, std::vector<SourceInfo> sources)
{
    {
        const std::lock_guard<std::mutex> guard (lock);
        auto& current = sourcesByProvider[provider];

        if (current == sources)
            return;

        current = std::move (sources);
        ++generation;
    }

    changed.notify_all();
}

std::vector<SourceInfo> SourceCatalogue::getSources (bool includeThisMachine) const
{
    std::vector<SourceInfo> all;

    {
        const std::lock_guard<std::mutex> guard (lock);

        // Providers in order of preference: a name found by several (a sender
        // of this machine also registered with a discovery server) is listed
        // once, as the nearest provider knows it.
        for (const auto& [provider, sources] : sourcesByProvider)
            for (const auto& source : sources)
                if ((includeThisMachine || ! source.onThisMachine)
                    && std::none_of (all.begin(), all.end(), [&] (const auto& s) { return s.ndiName == source.ndiName; }))
                    all.push_back (source);
    }

    std::sort (all.begin(), all.end(), [] (const auto& a, const auto& b) { return std::tie (a.ndiName, a.url) < std::tie (b.ndiName, b.url); });
    return all;
}

std::vector<SourceInfo> SourceCatalogue::getSourcesOf (Provider provider) const
{
    const std::lock_guard<std::mutex> guard (lock);
    const auto found = sourcesByProvider.find (provider);
    return found != sourcesByProvider.end() ? found->second : std::vector<SourceInfo>();
}

uint64_t SourceCatalogue::getGeneration() const
{
    const std::lock_guard<std::mutex> guard (lock);
    return generation;
}

void SourceCatalogue::waitForChange (uint64_t knownGeneration, std::chrono::steady_clock::time_point deadline) const
{
    std::unique_lock<std::mutex> guard (lock);
    changed.wait_until (guard, deadline, [&] { return generation != knownGeneration; });
}

} // namespace ndirt
