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

        for (const auto& [provider, sources] : sourcesByProvider)
            for (const auto& source : sources)
                if (includeThisMachine || ! source.onThisMachine)
                    all.push_back (source);
    }

    const auto key = [] (const SourceInfo& s) { return std::tie (s.ndiName, s.url); };
    std::sort (all.begin(), all.end(), [&] (const auto& a, const auto& b) { return key (a) < key (b); });
    all.erase (std::unique (all.begin(), all.end(), [&] (const auto& a, const auto& b) { return key (a) == key (b); }),
               all.end());
    return all;
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
