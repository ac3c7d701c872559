#pragma once

#include <string>

namespace ndirt
{

/** The runtime's own settings (the plug-in keeps none). Each comes from an
    environment variable or, failing that, from the settings file.

    Settings file: $NDIRT_SETTINGS, or $XDG_CONFIG_HOME/ndiruntime/settings.conf,
    or ~/.config/ndiruntime/settings.conf. Lines "key = value"; '#' starts a
    comment.

    - discovery_server ($NDIRT_DISCOVERY_SERVER): "host[:port]" of a discovery
      server (default port 5990) to find and announce sources across machines.
      Empty: none.
    - runtime_dir ($NDIRT_RUNTIME_DIR): the directory where the sources of
      this user on this machine announce themselves. Default
      $XDG_RUNTIME_DIR/ndiruntime, or /tmp/ndiruntime-<uid>. */
struct Settings
{
    static constexpr int defaultDiscoveryPort = 5990;

    std::string discoveryServer;
    std::string runtimeDirectory;

    static Settings load();
};

} // namespace ndirt
