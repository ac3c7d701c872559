#pragma once

#include "WireFormat.h"

#include <cstring>
#include <vector>

namespace rt
{
    /** A message header of the wire format with any field values, valid or not. */
    inline std::vector<uint8_t> wireHeader (uint32_t rate, uint32_t channels, uint32_t samples,
                                            const char* magic = "NDRA", uint16_t version = 1, uint16_t kind = 1)
    {
        std::vector<uint8_t> bytes (ndirt::wire::headerSize, 0);
        std::memcpy (bytes.data(), magic, 4);
        std::memcpy (bytes.data() + 4, &version, 2);
        std::memcpy (bytes.data() + 6, &kind, 2);
        std::memcpy (bytes.data() + 8, &rate, 4);
        std::memcpy (bytes.data() + 12, &channels, 4);
        std::memcpy (bytes.data() + 16, &samples, 4);
        return bytes;
    }
}
