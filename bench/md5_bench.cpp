// Our MD5 against OpenSSL's on the same buffers; prints the throughput ratio per size
// (ours / OpenSSL, higher is better; the goal is at least 0.95).
#define OPENSSL_SUPPRESS_DEPRECATED // the low-level MD5 calls are its fastest path
#include <openssl/md5.h>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "digest/untMD5StringLib.h"

namespace {

std::vector<std::uint8_t> Buffer(std::size_t size) {
    std::vector<std::uint8_t> data(size);
    std::uint32_t x = 2463534242u;
    for (auto& b : data) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = static_cast<std::uint8_t>(x);
    }
    return data;
}

void Ours(benchmark::State& state) {
    const auto data = Buffer(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        TMD5 md5;
        md5.Update(data.data(), static_cast<std::uint32_t>(data.size()));
        benchmark::DoNotOptimize(md5.Final());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

void OpenSSL(benchmark::State& state) {
    const auto data = Buffer(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        MD5_CTX ctx;
        unsigned char digest[16];
        MD5_Init(&ctx);
        MD5_Update(&ctx, data.data(), data.size());
        MD5_Final(digest, &ctx);
        benchmark::DoNotOptimize(digest);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

BENCHMARK(Ours)->Arg(16 << 10)->Arg(1 << 20);
BENCHMARK(OpenSSL)->Arg(16 << 10)->Arg(1 << 20);

// Shows every run as usual and keeps the CPU time per iteration (the median when
// repetitions are asked for) to print the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Aggregate && !median) continue;
            std::string name = run.run_name.function_name + "/" + run.run_name.args;
            if (median || medians_.count(name) == 0) times_[name] = run.GetAdjustedCPUTime();
            if (median) medians_[name] = true;
        }
    }
    void PrintRatios() const {
        for (const char* size : {"16384", "1048576"}) {
            auto ours = times_.find(std::string("Ours/") + size);
            auto theirs = times_.find(std::string("OpenSSL/") + size);
            if (ours == times_.end() || theirs == times_.end() || ours->second <= 0) continue;
            std::printf("throughput ratio ours/OpenSSL at %s bytes: %.3f\n", size,
                        theirs->second / ours->second);
        }
    }

private:
    std::map<std::string, double> times_;
    std::map<std::string, bool> medians_;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
