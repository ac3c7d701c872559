// The runtime's settings: its file, its environment variables, and which wins.

#include "Settings.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>

#include <unistd.h>

namespace
{
    /** Sets (or, with null, removes) an environment variable for a scope. */
    struct ScopedVariable
    {
        ScopedVariable (const char* variableName, const char* value) : name (variableName)
        {
            if (const char* old = std::getenv (name))
                previous = old;

            if (value != nullptr)
                ::setenv (name, value, 1);
            else
                ::unsetenv (name);
        }

        ~ScopedVariable()
        {
            if (previous.has_value())
                ::setenv (name, previous->c_str(), 1);
            else
                ::unsetenv (name);
        }

        const char* name;
        std::optional<std::string> previous;
    };

    class SettingsTest : public ::testing::Test
    {
    protected:
        ~SettingsTest() override                   { std::remove (path.c_str()); }

        void writeFile (const std::string& text)  { std::ofstream (path) << text; }

        std::string path = ::testing::TempDir() + "ndirt-settings-" + std::to_string (::getpid()) + ".conf";
        ScopedVariable file { "NDIRT_SETTINGS", path.c_str() };
        ScopedVariable server { "NDIRT_DISCOVERY_SERVER", nullptr };
        ScopedVariable directory { "NDIRT_RUNTIME_DIR", nullptr };
    };
}

TEST_F (SettingsTest, ReadsTheFile)
{
    writeFile ("# our runtime\n"
               "  discovery_server =  10.1.2.3:6000   # across the studio\n"
               "runtime_dir=/tmp/somewhere\n"
               "unknown = ignored\n"
               "no equals sign here\n");

    const auto settings = ndirt::Settings::load();
    EXPECT_EQ (settings.discoveryServer, "10.1.2.3:6000");
    EXPECT_EQ (settings.runtimeDirectory, "/tmp/somewhere");
}

TEST_F (SettingsTest, EnvironmentWinsOverTheFile)
{
    writeFile ("discovery_server = 10.1.2.3\nruntime_dir = /tmp/from-file\n");
    ScopedVariable serverHere ("NDIRT_DISCOVERY_SERVER", "192.168.7.7:5990");
    ScopedVariable directoryHere ("NDIRT_RUNTIME_DIR", "/tmp/from-environment");

    const auto settings = ndirt::Settings::load();
    EXPECT_EQ (settings.discoveryServer, "192.168.7.7:5990");
    EXPECT_EQ (settings.runtimeDirectory, "/tmp/from-environment");
}

TEST_F (SettingsTest, DefaultsWithoutFileOrEnvironment)
{
    std::remove (path.c_str());
    ScopedVariable xdg ("XDG_RUNTIME_DIR", "/run/user/4242");

    auto settings = ndirt::Settings::load();
    EXPECT_EQ (settings.discoveryServer, "");
    EXPECT_EQ (settings.runtimeDirectory, "/run/user/4242/ndiruntime");

    ScopedVariable noXdg ("XDG_RUNTIME_DIR", nullptr);
    settings = ndirt::Settings::load();
    EXPECT_EQ (settings.runtimeDirectory, "/tmp/ndiruntime-" + std::to_string (::getuid()));
}
