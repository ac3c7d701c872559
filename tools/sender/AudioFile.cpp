#include "AudioFile.h"

#include <FLAC/stream_decoder.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <algorithm>

namespace
{
    uint32_t read32 (const uint8_t* p)  { return (uint32_t) p[0] | (uint32_t) p[1] << 8 | (uint32_t) p[2] << 16 | (uint32_t) p[3] << 24; }
    uint16_t read16 (const uint8_t* p)  { return (uint16_t) (p[0] | p[1] << 8); }

    bool readWav (const std::vector<uint8_t>& bytes, AudioFile& file, std::string& error)
    {
        int format = 0, channels = 0, bits = 0;
        const uint8_t* data = nullptr;
        size_t dataSize = 0;

        for (size_t at = 12; at + 8 <= bytes.size();)
        {
            const uint32_t size = read32 (&bytes[at + 4]);
            const uint8_t* body = &bytes[at + 8];
            const size_t available = std::min<size_t> (size, bytes.size() - at - 8);

            if (std::memcmp (&bytes[at], "fmt ", 4) == 0 && available >= 16)
            {
                format = read16 (body);
                channels = read16 (body + 2);
                file.sampleRate = (int) read32 (body + 4);
                bits = read16 (body + 14);

                if (format == 0xfffe && available >= 26)    // extensible: the real format follows
                    format = read16 (body + 24);
            }
            else if (std::memcmp (&bytes[at], "data", 4) == 0)
            {
                data = body;
                dataSize = available;
            }

            at += 8 + (size_t) size + (size & 1);
        }

        const bool pcm = format == 1 && (bits == 8 || bits == 16 || bits == 24 || bits == 32);
        const bool floats = format == 3 && bits == 32;

        if (data == nullptr || channels <= 0 || file.sampleRate <= 0 || ! (pcm || floats))
        {
            error = "unsupported WAV file (PCM 8/16/24/32-bit or 32-bit float are read)";
            return false;
        }

        const size_t frameBytes = (size_t) channels * (size_t) bits / 8;
        const size_t frames = dataSize / frameBytes;
        file.channels.assign ((size_t) channels, std::vector<float> (frames));

        for (size_t i = 0; i < frames; ++i)
        {
            for (int c = 0; c < channels; ++c)
            {
                const uint8_t* p = data + i * frameBytes + (size_t) c * (size_t) bits / 8;
                float value = 0.0f;

                if (floats)
                    std::memcpy (&value, p, 4);
                else if (bits == 8)
                    value = (p[0] - 128) / 128.0f;
                else if (bits == 16)
                    value = (float) (int16_t) read16 (p) / 32768.0f;
                else if (bits == 24)
                    value = (float) ((int32_t) ((uint32_t) p[0] << 8 | (uint32_t) p[1] << 16 | (uint32_t) p[2] << 24) >> 8) / 8388608.0f;
                else
                    value = (float) ((double) (int32_t) read32 (p) / 2147483648.0);

                file.channels[(size_t) c][i] = value;
            }
        }

        return true;
    }

    /** libFLAC's decoder, writing into an AudioFile. */
    struct FlacReader
    {
        AudioFile& file;
        std::string& error;

        static FLAC__StreamDecoderWriteStatus write (const FLAC__StreamDecoder*, const FLAC__Frame* frame,
                                                     const FLAC__int32* const buffer[], void* context)
        {
            auto& self = *static_cast<FlacReader*> (context);
            const unsigned channels = frame->header.channels;
            const double scale = 1.0 / (double) (1u << (frame->header.bits_per_sample - 1));

            self.file.sampleRate = (int) frame->header.sample_rate;
            self.file.channels.resize (channels);

            for (unsigned c = 0; c < channels; ++c)
                for (unsigned i = 0; i < frame->header.blocksize; ++i)
                    self.file.channels[c].push_back ((float) (buffer[c][i] * scale));

            return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
        }

        static void metadata (const FLAC__StreamDecoder*, const FLAC__StreamMetadata*, void*) {}

        static void fail (const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus status, void* context)
        {
            static_cast<FlacReader*> (context)->error = FLAC__StreamDecoderErrorStatusString[status];
        }
    };

    bool readFlac (const std::string& path, AudioFile& file, std::string& error)
    {
        std::unique_ptr<FLAC__StreamDecoder, void (*) (FLAC__StreamDecoder*)> decoder (FLAC__stream_decoder_new(), FLAC__stream_decoder_delete);
        FlacReader reader { file, error };

        if (decoder == nullptr
            || FLAC__stream_decoder_init_file (decoder.get(), path.c_str(), FlacReader::write, FlacReader::metadata,
                                               FlacReader::fail, &reader) != FLAC__STREAM_DECODER_INIT_STATUS_OK
            || ! FLAC__stream_decoder_process_until_end_of_stream (decoder.get()))
        {
            if (error.empty())
                error = "cannot decode the FLAC file";

            return false;
        }

        if (! error.empty() || file.numSamples() == 0)
        {
            error = error.empty() ? "the FLAC file holds no audio" : error;
            return false;
        }

        return true;
    }
}

bool readAudioFile (const std::string& path, AudioFile& file, std::string& error)
{
    std::ifstream stream (path, std::ios::binary);

    if (! stream)
    {
        error = "cannot open " + path;
        return false;
    }

    const std::vector<uint8_t> bytes ((std::istreambuf_iterator<char> (stream)), std::istreambuf_iterator<char>());

    if (bytes.size() >= 12 && std::memcmp (bytes.data(), "RIFF", 4) == 0 && std::memcmp (bytes.data() + 8, "WAVE", 4) == 0)
        return readWav (bytes, file, error);

    if (bytes.size() >= 4 && std::memcmp (bytes.data(), "fLaC", 4) == 0)
        return readFlac (path, file, error);

    error = path + " is neither a WAV nor a FLAC file";
    return false;
}
