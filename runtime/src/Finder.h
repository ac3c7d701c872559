#pragma once

#include "Runtime.h"

#include "NDIRuntime.h"

#include <cstdint>
#include <vector>

namespace ndirt
{

/** A finder: follows the catalogue of sources for one user of the runtime. */
class Finder
{
public:
    explicit Finder (bool showSourcesOnThisMachine);

    /** Waits up to timeoutMs for the list to differ from the one this finder saw
        last; true when it does (at once when it already did). */
    bool waitForSources (uint32_t timeoutMs);

    /** The current list; the records stay valid until the next call on this finder. */
    const NDIlib_source_t* getCurrentSources (uint32_t& count);

private:
    RuntimeReference runtime;
    const bool showThisMachine;

    std::vector<SourceInfo> seen;               // the list last reported
    std::vector<NDIlib_source_t> records;       // pointing into seen
};

} // namespace ndirt
