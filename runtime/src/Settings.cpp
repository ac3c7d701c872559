#include "Settings.h"

#include <cstdlib>
#include <fstream>
#include <map>

#include <unistd.h>

namespace ndirt
{

namespace
{
    std::string environment (const char* name)
    {
        const char* value = std::getenv (name);
        return value != nullptr ? value : "";
    }

    std::string trim (const std::string& text)
    {
        const auto first = text.find_first_not_of (" \t\r");

        if (first == std::string::npos)
            return {};

        return text.substr (first, text.find_last_not_of (" \t\r") - first + 1);
    }

    std::string settingsFilePath()
    {
        if (auto path = environment ("NDIRT_SETTINGS"); ! path.empty())
            return path;

        if (auto config = environment ("XDG_CONFIG_HOME"); ! config.empty())
            return config + "/ndiruntime/settings.conf";

        if (auto home = environment ("HOME"); ! home.empty())
            return home + "/.config/ndiruntime/settings.conf";

        return {};
    }

    std::map<std::string, std::string> readSettingsFile (const std::string& path)
    {
        std::map<std::string, std::string> values;
        std::ifstream file (path);
        std::string line;

        while (std::getline (file, line))
        {
            line = line.substr (0, line.find ('#'));
            const auto equals = line.find ('=');

            if (equals != std::string::npos)
                values[trim (line.substr (0, equals))] = trim (line.substr (equals + 1));
        }

        return values;
    }
}

Settings Settings::load()
{
    const auto file = readSettingsFile (settingsFilePath());
    const auto pick = [&] (const char* variable, const char* key)
    {
        if (auto value = environment (variable); ! value.empty())
            return value;

        const auto found = file.find (key);
        return found != file.end() ? found->second : std::string();
    };

    Settings settings;
    settings.discoveryServer = pick ("NDIRT_DISCOVERY_SERVER", "discovery_server");
    settings.runtimeDirectory = pick ("NDIRT_RUNTIME_DIR", "runtime_dir");

    if (settings.runtimeDirectory.empty())
    {
        const auto xdg = environment ("XDG_RUNTIME_DIR");
        settings.runtimeDirectory = ! xdg.empty() ? xdg + "/ndiruntime"
                                                  : "/tmp/ndiruntime-" + std::to_string (getuid());
    }

    return settings;
}

} // namespace ndirt
