#pragma once

#include <juce_core/juce_core.h>

#include <algorithm>
#include <array>
#include <type_traits>
#include <vector>

/**
    A lock-free single-producer, single-consumer FIFO of Size slots, one of which
    always stays empty, so it holds at most Size - 1 elements.

    push() may only be called on the producer thread and pull() only on the
    consumer thread; under that rule neither side ever waits or locks. The
    positions are juce::AbstractFifo's atomics: slot writes happen before the
    store that publishes them, and slot reads after the load that revealed them.

    Elements are copied in and copied out. A slot keeps its old contents until a
    later push overwrites it.

    For float FIFOs there are block operations as well, which move a whole run
    of samples or nothing.
*/
template <typename T, size_t Size, bool>
class Fifo
{
public:
    static_assert (Size >= 2, "A Fifo needs one free slot besides its elements");

    Fifo() = default;

    /** Appends one element; false, changing nothing, when the FIFO is full. */
    bool push (const T& element)
    {
        const auto write = fifo.write (1);

        if (write.blockSize1 <= 0)
            return false;

        buffer[(size_t) write.startIndex1] = element;
        return true;
    }

    /** Removes the oldest element into `element`; false, leaving it untouched, when empty. */
    bool pull (T& element)
    {
        const auto read = fifo.read (1);

        if (read.blockSize1 <= 0)
            return false;

        element = buffer[(size_t) read.startIndex1];
        return true;
    }

    /** Appends all the samples, or none of them when they don't all fit. */
    template <typename U = T, std::enable_if_t<std::is_same_v<U, float>, int> = 0>
    bool push (const std::vector<float>& samples)
    {
        const auto numSamples = (int) samples.size();
        int start1, size1, start2, size2;
        fifo.prepareToWrite (numSamples, start1, size1, start2, size2);

        if (size1 + size2 < numSamples)
            return false;

        std::copy_n (samples.data(), size1, buffer.data() + start1);
        std::copy_n (samples.data() + size1, size2, buffer.data() + start2);
        fifo.finishedWrite (numSamples);
        return true;
    }

    /** Removes exactly `count` samples into the first `count` elements of
        `destination`, which must already be that long.

        When fewer than `count` samples are ready the pull fails, and the samples
        that were ready are discarded: a late block is dropped whole rather than
        played in part, and the next pull starts with fresh samples.
    */
    template <typename U = T, std::enable_if_t<std::is_same_v<U, float>, int> = 0>
    bool pull (std::vector<float>& destination, int count)
    {
        jassert (count >= 0 && (size_t) count <= destination.size());

        int start1, size1, start2, size2;
        fifo.prepareToRead (count, start1, size1, start2, size2);

        if (size1 + size2 < count)
        {
            fifo.finishedRead (size1 + size2);
            return false;
        }

        std::copy_n (buffer.data() + start1, size1, destination.data());
        std::copy_n (buffer.data() + start2, size2, destination.data() + size1);
        fifo.finishedRead (count);
        return true;
    }

    /** The number of elements ready to be pulled. */
    int getNumReady() const noexcept     { return fifo.getNumReady(); }

private:
    juce::AbstractFifo fifo { (int) Size };
    std::array<T, Size> buffer {};

    JUCE_DECLARE_NON_COPYABLE (Fifo)
};
