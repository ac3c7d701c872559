#include "Finder.h"

namespace ndirt
{

Finder::Finder (bool showSourcesOnThisMachine)
    : showThisMachine (showSourcesOnThisMachine)
{
}

bool Finder::waitForSources (uint32_t timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds (timeoutMs);
    auto& catalogue = runtime->getCatalogue();

    for (;;)
    {
        const auto generation = catalogue.getGeneration();

        if (catalogue.getSources (showThisMachine) != seen)
            return true;

        if (std::chrono::steady_clock::now() >= deadline)
            return false;

        catalogue.waitForChange (generation, deadline);
    }
}

const NDIlib_source_t* Finder::getCurrentSources (uint32_t& count)
{
    seen = runtime->getCatalogue().getSources (showThisMachine);
    records.clear();

    for (const auto& source : seen)
        records.push_back ({ source.ndiName.c_str(), source.url.c_str(), source.extraInfo.c_str() });

    count = (uint32_t) records.size();
    return records.data();
}

} // namespace ndirt
