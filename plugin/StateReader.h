#pragma once

#include <juce_data_structures/juce_data_structures.h>

/**
    Reads a state tree from bytes a host hands back, which may be anything.

    JUCE's binary value-tree reader trusts its input: counts in corrupt bytes
    make it allocate gigabytes, loop for billions of elements or recurse until
    the stack runs out. So the bytes are first walked without allocating,
    checking every count against the bytes that remain, every text for valid
    UTF-8 and the nesting depth, and only well-formed input reaches JUCE.
    Anything else gives an invalid tree.
*/
juce::ValueTree readStateTree (const void* data, size_t numBytes);
