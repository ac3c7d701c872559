#include <juce_gui_basics/juce_gui_basics.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace
{
    // One JUCE GUI initialisation per process: the message manager, the
    // default look-and-feel and the fonts live for the whole test run.
    class JuceEnvironment : public ::testing::Environment
    {
    public:
        void SetUp() override    { initialiser = std::make_unique<juce::ScopedJuceInitialiser_GUI>(); }
        void TearDown() override { initialiser.reset(); }

    private:
        std::unique_ptr<juce::ScopedJuceInitialiser_GUI> initialiser;
    };
}

int main (int argc, char** argv)
{
    // Headless and deterministic: no X connection, and JUCE's font scan finds
    // the packaged DejaVu fonts instead of depending on the machine.
    ::unsetenv ("DISPLAY");
    ::setenv ("JUCE_FONT_PATH", "/usr/share/fonts/truetype/dejavu", 1);

    // NDI sources are seen by every process of the user on this machine. Each
    // test process (with the sender processes it starts) gets a directory of
    // its own, so that test programs running side by side never see, or
    // connect to, each other's sources.
    char sourceDirectory[] = "/tmp/ndir-test-XXXXXX";

    if (::mkdtemp (sourceDirectory) != nullptr)
        ::setenv ("NDIRT_RUNTIME_DIR", sourceDirectory, 1);

    ::testing::InitGoogleTest (&argc, argv);
    ::testing::AddGlobalTestEnvironment (new JuceEnvironment());
    const auto result = RUN_ALL_TESTS();

    juce::File (sourceDirectory).deleteRecursively();
    return result;
}
