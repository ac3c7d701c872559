// Every test process gets a source directory of its own, so that it sees only
// the sources it makes (and those of the child processes it starts), not those
// of test processes running beside it or of anything else of this user.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace
{
    class IsolatedRuntimeDirectory : public ::testing::Environment
    {
    public:
        void SetUp() override
        {
            char pattern[] = "/tmp/ndirt-tests-XXXXXX";
            path = ::mkdtemp (pattern);
            ::setenv ("NDIRT_RUNTIME_DIR", path.c_str(), 1);
            ::unsetenv ("NDIRT_DISCOVERY_SERVER");
            ::setenv ("NDIRT_SETTINGS", "/dev/null", 1);
        }

        void TearDown() override
        {
            std::system (("rm -rf " + path).c_str());
        }

    private:
        std::string path;
    };

    const auto* const environment = ::testing::AddGlobalTestEnvironment (new IsolatedRuntimeDirectory());
}
