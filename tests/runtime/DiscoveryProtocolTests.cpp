// The discovery server's line protocol: round trips and malformed input.

#include "DiscoveryProtocol.h"

#include <gtest/gtest.h>

using namespace ndirt;

namespace
{
    struct Read
    {
        std::vector<std::vector<SourceInfo>> lists;
        bool ok = true;
    };

    Read read (const std::string& text, size_t pieceSize)
    {
        discovery::ListReader reader;
        Read result;

        for (size_t at = 0; at < text.size() && result.ok; at += pieceSize)
            result.ok = reader.feed (text.data() + at, std::min (pieceSize, text.size() - at),
                                     [&] (std::vector<SourceInfo>&& list) { result.lists.push_back (std::move (list)); });

        return result;
    }
}

TEST (DiscoveryProtocol, RoundTripsListsInAnyPieces)
{
    const std::vector<SourceInfo> sources {
        { "HOST (One)", "tcp://10.0.0.1:4000", "pid 1", false },
        { "HOST (Tab\there)", "tcp://:4001", "", false },
        { "HÔTE (Ünïcødé)", "tcp://10.0.0.2:4002", "two\nlines", false },
    };

    const auto text = discovery::encode (sources) + discovery::encode ({});

    for (size_t piece : { (size_t) 1, (size_t) 5, text.size() })
    {
        const auto result = read (text, piece);
        ASSERT_TRUE (result.ok);
        ASSERT_EQ (result.lists.size(), 2u);
        ASSERT_EQ (result.lists[0].size(), 3u);
        EXPECT_TRUE (result.lists[1].empty());

        EXPECT_EQ (result.lists[0][0], sources[0]);
        EXPECT_EQ (result.lists[0][1].ndiName, "HOST (Tab here)");     // separators cannot pass
        EXPECT_EQ (result.lists[0][1].url, "tcp://:4001");
        EXPECT_EQ (result.lists[0][2].ndiName, "HÔTE (Ünïcødé)");
        EXPECT_EQ (result.lists[0][2].extraInfo, "two lines");
    }
}

TEST (DiscoveryProtocol, RejectsMalformedInput)
{
    const struct { const char* what; std::string text; } cases[] = {
        { "no header",          "HOST (A)\ttcp://:1\tx\n" },
        { "bad count",          "SOURCES x\n" },
        { "negative count",     "SOURCES -1\n" },
        { "count too large",    "SOURCES 1025\n" },
        { "huge count",         "SOURCES 99999999999\n" },
        { "missing fields",     "SOURCES 1\nHOST (A)\n" },
        { "too many fields",    "SOURCES 1\nHOST (A)\ta\tb\tc\n" },
        { "empty name",         "SOURCES 1\n\ttcp://:1\tx\n" },
        { "endless line",       "SOURCES 1\n" + std::string (100000, 'a') },
    };

    for (const auto& c : cases)
    {
        const auto result = read (c.text, 7);
        EXPECT_FALSE (result.ok) << c.what;
        EXPECT_TRUE (result.lists.empty()) << c.what;
    }
}
