#include "plugin/StateReader.h"

namespace
{
    // The markers of JUCE's binary var format.
    enum VarMarker : juce::uint8
    {
        intMarker = 1, trueMarker = 2, falseMarker = 3, doubleMarker = 4,
        stringMarker = 5, int64Marker = 6, arrayMarker = 7, binaryMarker = 8, undefinedMarker = 9
    };

    constexpr int maxDepth = 32;

    /** Walks JUCE's value-tree stream format over a byte range, never reading
        outside it and never allocating. */
    class Walker
    {
    public:
        Walker (const void* data, size_t size)
            : pos (static_cast<const juce::uint8*> (data)), end (pos + size)
        {
        }

        bool tree (int depth)
        {
            int numProperties = 0, numChildren = 0;

            if (depth > maxDepth || ! string (true) || ! count (numProperties))
                return false;

            for (int i = 0; i < numProperties; ++i)
                if (! string (true) || ! var (depth))
                    return false;

            if (! count (numChildren))
                return false;

            for (int i = 0; i < numChildren; ++i)
                if (! tree (depth + 1))
                    return false;

            return true;
        }

    private:
        size_t remaining() const noexcept   { return (size_t) (end - pos); }

        bool skip (size_t numBytes)
        {
            if (numBytes > remaining())
                return false;

            pos += numBytes;
            return true;
        }

        bool string (bool mustNotBeEmpty)
        {
            const auto* terminator = static_cast<const juce::uint8*> (std::memchr (pos, 0, remaining()));

            if (terminator == nullptr || (mustNotBeEmpty && terminator == pos))
                return false;

            const auto length = (int) (terminator - pos);

            if (! juce::CharPointer_UTF8::isValidString (reinterpret_cast<const char*> (pos), length))
                return false;

            pos = terminator + 1;
            return true;
        }

        bool compressedInt (int& value)
        {
            if (! skip (1))
                return false;

            const auto sizeByte = pos[-1];
            const auto numBytes = (size_t) (sizeByte & 0x7f);

            if (numBytes > 4 || numBytes > remaining())
                return false;

            juce::uint32 magnitude = 0;

            for (size_t i = 0; i < numBytes; ++i)
                magnitude |= (juce::uint32) pos[i] << (8 * i);

            pos += numBytes;

            if (magnitude > (juce::uint32) std::numeric_limits<int>::max())
                return false;

            value = (sizeByte & 0x80) != 0 ? -(int) magnitude : (int) magnitude;
            return true;
        }

        // A count of elements that each take at least one byte: it can be no
        // larger than the bytes that remain.
        bool count (int& value)
        {
            return compressedInt (value) && value >= 0 && (size_t) value <= remaining();
        }

        bool var (int depth)
        {
            int numBytes = 0;

            if (! compressedInt (numBytes))
                return false;

            if (numBytes <= 0)
                return true;

            if (! skip (1))
                return false;

            const auto marker = pos[-1];
            const auto payload = (size_t) numBytes - 1;

            switch (marker)
            {
                case intMarker:       return payload == 4 && skip (4);
                case int64Marker:     return payload == 8 && skip (8);
                case doubleMarker:    return payload == 8 && skip (8);
                case trueMarker:
                case falseMarker:     return payload == 0;
                case binaryMarker:    return skip (payload);

                case stringMarker:
                {
                    if (payload > remaining())
                        return false;

                    const auto* text = reinterpret_cast<const char*> (pos);
                    pos += payload;
                    return juce::CharPointer_UTF8::isValidString (text, (int) payload);
                }

                case arrayMarker:
                {
                    int numElements = 0;

                    if (depth > maxDepth || ! count (numElements))
                        return false;

                    for (int i = 0; i < numElements; ++i)
                        if (! var (depth + 1))
                            return false;

                    return true;
                }

                case undefinedMarker:
                default:              return skip (payload);
            }
        }

        const juce::uint8* pos;
        const juce::uint8* const end;
    };
}

juce::ValueTree readStateTree (const void* data, size_t numBytes)
{
    if (data == nullptr || numBytes == 0 || ! Walker (data, numBytes).tree (0))
        return {};

    return juce::ValueTree::readFromData (data, numBytes);
}
