// The machine's source directory on its own: announcements, stale files, and
// directories it must not use.

#include "SourceDirectory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include <sys/stat.h>

namespace
{
    class SourceDirectoryTest : public ::testing::Test
    {
    protected:
        SourceDirectoryTest()
        {
            char pattern[] = "/tmp/ndirt-directory-XXXXXX";
            path = ::mkdtemp (pattern);
        }

        ~SourceDirectoryTest() override  { std::system (("rm -rf " + path).c_str()); }

        bool exists (const std::string& file) const
        {
            struct stat status {};
            return ::stat ((path + "/" + file).c_str(), &status) == 0;
        }

        std::string path;
        ndirt::SourceCatalogue catalogue;
        const ndirt::SourceInfo source { "HOST (Announced)", "tcp://127.0.0.1:1234", "pid 1", true };
    };
}

TEST_F (SourceDirectoryTest, AnnouncesWithALockedFileAndWithdraws)
{
    ndirt::SourceDirectory directory (path, catalogue);
    auto announcement = directory.announce (source);
    ASSERT_NE (announcement, nullptr);

    const auto file = std::to_string (::getpid()) + "-1.source";
    ASSERT_TRUE (exists (file));

    // Another process reading it finds the source (its owner holds the lock).
    const auto read = ndirt::SourceDirectory::readEntry (path + "/" + file);
    ASSERT_TRUE (read.has_value());
    EXPECT_EQ (*read, source);

    announcement.reset();
    EXPECT_FALSE (exists (file));
}

TEST_F (SourceDirectoryTest, AFileNobodyLocksIsLeftOverAndDeleted)
{
    // As a process killed without cleaning up leaves it.
    std::ofstream (path + "/99999-1.source") << "HOST (Dead)\ntcp://127.0.0.1:1\npid 99999\n";

    EXPECT_FALSE (ndirt::SourceDirectory::readEntry (path + "/99999-1.source").has_value());
    EXPECT_FALSE (exists ("99999-1.source"));
}

TEST_F (SourceDirectoryTest, RefusesADirectoryOthersCanWriteTo)
{
    ::chmod (path.c_str(), 0777);
    ndirt::SourceDirectory directory (path, catalogue);

    EXPECT_EQ (directory.announce (source), nullptr);
}
