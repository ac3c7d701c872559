#include "DiscoveryProtocol.h"

#include <algorithm>

namespace ndirt::discovery
{

namespace
{
    /** A field may hold neither the separator nor the line end. */
    std::string field (std::string text)
    {
        std::replace_if (text.begin(), text.end(), [] (char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
        return text;
    }
}

std::string encode (const std::vector<SourceInfo>& sources)
{
    std::string text = "SOURCES " + std::to_string (std::min (sources.size(), maxSources)) + "\n";

    for (size_t i = 0; i < sources.size() && i < maxSources; ++i)
        text += field (sources[i].ndiName) + "\t" + field (sources[i].url) + "\t" + field (sources[i].extraInfo) + "\n";

    return text;
}

bool ListReader::takeLine()
{
    if (! started)
    {
        const std::string keyword = "SOURCES ";
        const auto digits = line.substr (std::min (line.size(), keyword.size()));

        if (line.compare (0, keyword.size(), keyword) != 0 || digits.empty() || digits.size() > 4
            || digits.find_first_not_of ("0123456789") != std::string::npos || std::stoul (digits) > maxSources)
        {
            error = "expected \"SOURCES <count>\", got \"" + line.substr (0, 40) + "\"";
            return false;
        }

        expected = std::stoul (digits);
        started = true;
        return true;
    }

    const auto firstTab = line.find ('\t');
    const auto secondTab = firstTab == std::string::npos ? firstTab : line.find ('\t', firstTab + 1);

    if (secondTab == std::string::npos || firstTab == 0 || line.find ('\t', secondTab + 1) != std::string::npos)
    {
        error = "a source line needs a name, a URL and an extra text separated by tabs";
        return false;
    }

    list.push_back ({ line.substr (0, firstTab), line.substr (firstTab + 1, secondTab - firstTab - 1),
                      line.substr (secondTab + 1), false });
    --expected;
    return true;
}

} // namespace ndirt::discovery
