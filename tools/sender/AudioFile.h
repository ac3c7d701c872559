#pragma once

#include <string>
#include <vector>

/** A whole audio file in memory, planar float. */
struct AudioFile
{
    int sampleRate = 0;
    std::vector<std::vector<float>> channels;

    int numSamples() const  { return channels.empty() ? 0 : (int) channels.front().size(); }
};

/** Reads a WAV (PCM 8/16/24/32-bit or 32-bit float) or FLAC file. On failure
    returns false and says why in error. */
bool readAudioFile (const std::string& path, AudioFile& file, std::string& error);
