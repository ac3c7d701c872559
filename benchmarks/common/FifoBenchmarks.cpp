/*
    Throughput of the sample FIFO: one block pushed, then pulled, on one thread,
    as the receiver and audio threads do it in turn.
*/

#include "common/Fifo.h"

#include <benchmark/benchmark.h>

namespace
{
    void blockPushAndPull (benchmark::State& state)
    {
        const auto blockSize = (int) state.range (0);
        auto fifo = std::make_unique<Fifo<float, 10240, true>>();
        std::vector<float> in ((size_t) blockSize, 0.5f), out ((size_t) blockSize);

        for (auto _ : state)
        {
            fifo->push (in);
            fifo->pull (out, blockSize);
            benchmark::DoNotOptimize (out.data());
        }

        state.SetItemsProcessed (state.iterations() * blockSize);
        state.SetBytesProcessed (state.iterations() * blockSize * (int64_t) sizeof (float));
    }
}

BENCHMARK (blockPushAndPull)->ArgName ("block")->Arg (64)->Arg (512)->Arg (4096);

BENCHMARK_MAIN();
