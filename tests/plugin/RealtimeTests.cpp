/*
    What the audio thread does in processBlock, watched from inside the process:
    every heap allocation (operator new and the C allocator) and every mutex
    lock made on a thread while it is inside processBlock is counted.

    This executable replaces the process's allocator and pthread_mutex_lock, so
    it is built only without sanitizers, which replace them too.
*/

#include "plugin/HostThread.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <pthread.h>

#include <array>
#include <new>

extern "C"
{
    void* __libc_malloc (size_t);
    void* __libc_calloc (size_t, size_t);
    void* __libc_realloc (void*, size_t);
    void* __libc_memalign (size_t, size_t);
    void __libc_free (void*);
}

namespace
{
    thread_local bool insideProcessBlock = false;
    std::atomic<int> allocations { 0 };

    std::array<std::atomic<const void*>, 4096> lockedMutexes;
    std::atomic<size_t> numLocks { 0 };

    void noteAllocation()
    {
        if (insideProcessBlock)
            ++allocations;
    }

    void noteLock (const void* mutex)
    {
        if (insideProcessBlock)
        {
            const auto index = numLocks++;

            if (index < lockedMutexes.size())
                lockedMutexes[index] = mutex;
        }
    }

    void* allocate (size_t size)
    {
        noteAllocation();

        if (auto* p = __libc_malloc (size == 0 ? 1 : size))
            return p;

        throw std::bad_alloc();
    }

    void* allocateAligned (size_t size, std::align_val_t alignment)
    {
        noteAllocation();

        if (auto* p = __libc_memalign ((size_t) alignment, size == 0 ? 1 : size))
            return p;

        throw std::bad_alloc();
    }

    using MutexFunction = int (*) (pthread_mutex_t*);

    MutexFunction realFunction (const char* name)
    {
        return reinterpret_cast<MutexFunction> (dlsym (RTLD_NEXT, name));
    }
}

extern "C"
{
    void* malloc (size_t size)                      { noteAllocation(); return __libc_malloc (size); }
    void* calloc (size_t count, size_t size)        { noteAllocation(); return __libc_calloc (count, size); }
    void* realloc (void* p, size_t size)            { noteAllocation(); return __libc_realloc (p, size); }
    void free (void* p)                             { __libc_free (p); }

    int pthread_mutex_lock (pthread_mutex_t* mutex)
    {
        static const auto real = realFunction ("pthread_mutex_lock");
        noteLock (mutex);
        return real (mutex);
    }

    int pthread_mutex_trylock (pthread_mutex_t* mutex)
    {
        static const auto real = realFunction ("pthread_mutex_trylock");
        noteLock (mutex);
        return real (mutex);
    }
}

void* operator new (size_t size)                                    { return allocate (size); }
void* operator new[] (size_t size)                                  { return allocate (size); }
void* operator new (size_t size, const std::nothrow_t&) noexcept    { noteAllocation(); return __libc_malloc (size == 0 ? 1 : size); }
void* operator new[] (size_t size, const std::nothrow_t&) noexcept  { noteAllocation(); return __libc_malloc (size == 0 ? 1 : size); }
void* operator new (size_t size, std::align_val_t a)                { return allocateAligned (size, a); }
void* operator new[] (size_t size, std::align_val_t a)              { return allocateAligned (size, a); }
void operator delete (void* p) noexcept                             { __libc_free (p); }
void operator delete[] (void* p) noexcept                           { __libc_free (p); }
void operator delete (void* p, size_t) noexcept                     { __libc_free (p); }
void operator delete[] (void* p, size_t) noexcept                   { __libc_free (p); }
void operator delete (void* p, std::align_val_t) noexcept           { __libc_free (p); }
void operator delete[] (void* p, std::align_val_t) noexcept         { __libc_free (p); }
void operator delete (void* p, size_t, std::align_val_t) noexcept   { __libc_free (p); }
void operator delete[] (void* p, size_t, std::align_val_t) noexcept { __libc_free (p); }

//==============================================================================
TEST (Realtime, TheWatchIsAwake)
{
    // The watch must see what it is meant to see, or the test below proves nothing.
    insideProcessBlock = true;
    auto* block = new std::vector<float> (100);
    pthread_mutex_t mutex;
    pthread_mutex_init (&mutex, nullptr);
    pthread_mutex_lock (&mutex);
    pthread_mutex_unlock (&mutex);
    pthread_mutex_destroy (&mutex);
    insideProcessBlock = false;
    delete block;

    EXPECT_EQ (allocations.exchange (0), 2);
    EXPECT_EQ (numLocks.exchange (0), 1u);
}

TEST (Realtime, ProcessBlockAllocatesNothingAndLocksOnlyTheFifoLock)
{
    struct Case { int channels; int blockSize; };

    for (auto c : { Case { 2, 64 }, Case { 8, 512 }, Case { 64, 480 } })
    {
        SCOPED_TRACE (testing::Message() << c.channels << " channels, blocks of " << c.blockSize);

        test::RealTimeSource source ("Realtime " + std::to_string (c.channels), 48000, c.channels, test::RealTimeSource::sines());
        NDIReceiverAudioProcessor processor;
        test::CaptureRecorder recorder;
        test::HostThread host (processor, 48000.0, c.blockSize);

        std::vector<ChannelMapping> map;

        for (int ch = 0; ch < c.channels; ++ch)
            map.push_back ({ ch, ch % 2 });

        processor.receiver.changeSource ({ juce::String (source.ndiName()), {}, {} });
        processor.handOverChannelMapping (map);
        processor.audioBroadcastingHasBegun (c.channels);   // a fade is pending too
        host.play (std::vector<int> (40, c.blockSize), &recorder);
        ASSERT_EQ (test::bankSize (processor.receiver), (size_t) c.channels);

        allocations = 0;
        numLocks = 0;

        host.processBlock = [&processor] (juce::AudioBuffer<float>& buffer)
        {
            juce::MidiBuffer midi;
            insideProcessBlock = true;
            processor.processBlock (buffer, midi);
            insideProcessBlock = false;
        };

        const int watchedBlocks = 20;
        host.play (std::vector<int> (watchedBlocks, c.blockSize), &recorder);

        EXPECT_EQ (allocations.load(), 0);
        EXPECT_EQ (numLocks.load(), (size_t) (watchedBlocks * c.channels)) << "one fifoLock per received channel and block";

        for (size_t i = 0; i < std::min (numLocks.load(), lockedMutexes.size()); ++i)
            ASSERT_EQ (lockedMutexes[i].load(), static_cast<const void*> (&processor.receiver.fifoLock));
    }
}
