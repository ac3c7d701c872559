#include "HostState.h"

juce::MemoryBlock wrapStateForHost (const juce::AudioPluginInstance& plugin, const juce::MemoryBlock& pluginState)
{
    const auto description = plugin.getPluginDescription();
    juce::MemoryBlock wrapped;

    if (description.pluginFormatName == "VST3")
    {
        juce::XmlElement state ("VST3PluginState");
        state.createNewChildElement ("IComponent")->addTextElement (pluginState.toBase64Encoding());
        juce::AudioProcessor::copyXmlToBinary (state, wrapped);
    }
    else if (description.pluginFormatName == "LV2")
    {
        const auto uri = description.fileOrIdentifier;
        const auto preset = "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                            "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
                            "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n\n"
                            "<" + uri + "/savedState>\n"
                            "    a pset:Preset ;\n"
                            "    lv2:appliesTo <" + uri + "> ;\n"
                            "    state:state [ <" + uri + ":StateString> \"" + pluginState.toBase64Encoding() + "\" ] .\n";
        wrapped.append (preset.toRawUTF8(), preset.getNumBytesAsUTF8());
    }
    else
    {
        wrapped = pluginState;
    }

    return wrapped;
}
