// SPDX-License-Identifier: GPL-3.0-or-later
// The conversion pass in memory, without files: the core's own speed.
#include <benchmark/benchmark.h>

#include <string>

#include "core/conversion.h"

namespace {

// An ordinary byte sink that keeps nothing.
class NullWriter final : public quorvel::ByteWriter {
public:
    bool write(const char*, std::size_t n) override {
        benchmark::DoNotOptimize(n);
        return true;
    }
    using ByteWriter::write;
};

std::string sampleText() {
    const std::string lines[] = {
        "For R4|KR NTR1100|X       21.259 m   |Y       59.620 m   |Z       11.256 m   |\r\n",
        "For R5|Adr 0008|KR NTR1100|X       21.259 m   |Y       59.620 m   |Z       11.256 m   |\n",
        "For M5|Adr 00010|PI1                           2|Y          -2.239 m   |X           "
        "6.156 m   |Z          -0.034 m   | \r\n",
        "   0007                 508 0863    X       77.688 Y       -91.484 Z   156.261 \r\n",
        "For R4|TR INPUT  |th       1.500 m   |ih       1.486 m   |                   |\n",
    };
    std::string text;
    while (text.size() < 8 * 1024 * 1024)
        for (const auto& l : lines) text += l;
    return text;
}

void ConversionPass(benchmark::State& state) {
    const std::string text = sampleText();
    for (auto _ : state) {
        quorvel::MemoryReader in(text);
        NullWriter out;
        quorvel::ConversionCounts counts;
        quorvel::convertObservations(in, out, static_cast<quorvel::OutputFormat>(state.range(0)),
                                     counts);
        benchmark::DoNotOptimize(counts.CoordinateCount);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
// Layouts 1-3, then CSV, DXF and LandXML.
BENCHMARK(ConversionPass)->DenseRange(1, 6)->Unit(benchmark::kMillisecond);

// SDR33 raw data: coordinate and station records with observations between them.
void ConversionPassSdr(benchmark::State& state) {
    const std::string lines[] = {
        "08KI            1001-6.794          -4.347          0.432           TREE            \r\n",
        "09F1            1000            100112.345          90.1234         45.6789         "
        "PEG\r\n",
        "02TP            10005000.000        2000.000        100.000         1.500           "
        "TRIG\r\n",
    };
    std::string text = "00NMSDR33 V04-04.02     06-Dec-26 09:12 211111\r\n";
    while (text.size() < 8 * 1024 * 1024)
        for (const auto& l : lines) text += l;
    for (auto _ : state) {
        quorvel::MemoryReader in(text);
        NullWriter out;
        quorvel::ConversionCounts counts;
        quorvel::convertObservations(in, out, quorvel::OutputFormat::Autocogo1, counts);
        benchmark::DoNotOptimize(counts.CoordinateCount);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(ConversionPassSdr)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
