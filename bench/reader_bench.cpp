// Model reader throughput on one large generated model file (over 50 MB, storage level 6,
// varied float spellings): the reader from disk and from memory, and, as the baseline,
// std::ifstream extraction of the same tokens in the classic locale.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <locale>
#include <string>
#include <vector>

#include <unistd.h>

#include "model/AGIM.h"
#include "model/Level.h"

namespace {

constexpr int kStorageLevel = 6;
constexpr std::size_t kTargetBytes = 52u << 20;

// The generated file, removed when the program ends.
struct BenchFile {
  std::string path;           // where it is
  std::string text;           // its contents
  std::size_t floats = 0;     // float samples it holds
  int patches = 0;            // records it holds

  BenchFile() {
    path = (std::filesystem::temp_directory_path() /
            ("agim_reader_bench_" + std::to_string(getpid()) + ".agim"))
               .string();
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    auto next = [&state]() {
      state = state * 6364136223846793005ull + 1442695040888963407ull;
      return static_cast<std::uint32_t>(state >> 33);
    };
    const int n = agim::grid_size_for_level(kStorageLevel);
    // Records first (the count is only known at the end), ids in reverse order.
    std::vector<std::string> records;
    std::size_t bytes = 0;
    char buf[64];
    while (bytes < kTargetBytes) {
      std::string r;
      r.reserve(80000);
      r += "#id " + std::to_string(1 + next() % kStorageLevel) + " " +
           std::to_string(kStorageLevel);
      r += "\n";
      for (int k = 0; k < 4; ++k) r += "#nb ";
      for (int k = 0; k < 4; ++k) r += std::to_string(next() % 2) + (k < 3 ? " " : "\n");
      for (int s = 0; s < n * n; ++s) {
        for (int k = 0; k < 6; ++k) {
          const double v = (static_cast<double>(next()) / 4294967296.0 - 0.5) * 200.0;
          switch (next() % 6) {
            case 0: std::snprintf(buf, sizeof buf, "%.9g", v); break;
            case 1: std::snprintf(buf, sizeof buf, "%.6f", v); break;
            case 2: std::snprintf(buf, sizeof buf, "%e", v); break;
            case 3: std::snprintf(buf, sizeof buf, "%.3g", v); break;
            case 4: std::snprintf(buf, sizeof buf, "%+.4E", v / 1000.0); break;
            default: std::snprintf(buf, sizeof buf, "%d", static_cast<int>(v)); break;
          }
          r += buf;
          r += (k == 5) ? '\n' : ' ';
        }
      }
      r += "*\n";
      bytes += r.size();
      records.push_back(std::move(r));
    }
    patches = static_cast<int>(records.size());
    floats = static_cast<std::size_t>(patches) * 6u * static_cast<std::size_t>(n * n);
    text = std::to_string(patches) + "\n";
    for (int i = 0; i < patches; ++i) {
      std::string& r = records[static_cast<std::size_t>(i)];
      // Fill in the id (patches - 1 - i) and four neighbour ids in the placeholders.
      r.replace(0, 3, std::to_string(patches - 1 - i));
      for (int k = 0; k < 4; ++k) {
        const std::size_t at = r.find("#nb");
        r.replace(at, 3, std::to_string(next() % static_cast<std::uint32_t>(patches)));
      }
      text += r;
    }
    std::ofstream out(path, std::ios::binary);
    out << text;
  }
  ~BenchFile() { std::remove(path.c_str()); }
};

// The file, generated on first use.
const BenchFile& bench_file() {
  static const BenchFile file;
  return file;
}

// Bytes per second, floats per second and the file size in MB for the report.
void set_counters(benchmark::State& state, const BenchFile& f) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(f.text.size()));
  state.counters["floats"] = benchmark::Counter(static_cast<double>(f.floats),
                                                benchmark::Counter::kIsIterationInvariantRate);
  state.counters["MB"] = static_cast<double>(f.text.size()) / 1e6;
}

// Our reader, file to model.
void BM_ReadAGIMFile(benchmark::State& state) {
  const BenchFile& f = bench_file();
  for (auto _ : state) {
    AGIM model;
    if (!model.Read_AGIM_File(f.path.c_str())) state.SkipWithError("the reader rejected the file");
    benchmark::DoNotOptimize(model.elements.data());
  }
  set_counters(state, f);
}

// Our reader, text already in memory to model.
void BM_ReadAGIMText(benchmark::State& state) {
  const BenchFile& f = bench_file();
  for (auto _ : state) {
    AGIM model;
    if (!model.Read_AGIM_Text(f.text.data(), f.text.size(), "bench"))
      state.SkipWithError("the reader rejected the text");
    benchmark::DoNotOptimize(model.elements.data());
  }
  set_counters(state, f);
}

// The baseline: the same tokens by std::ifstream extraction in the classic locale, the
// samples stored into one reused array.
void BM_StreamExtraction(benchmark::State& state) {
  const BenchFile& f = bench_file();
  std::vector<float> samples;
  for (auto _ : state) {
    std::ifstream in(f.path);
    in.imbue(std::locale::classic());
    int count = 0;
    in >> count;
    for (int i = 0; i < count; ++i) {
      int ints[11];
      for (int& v : ints) in >> v;
      const int n = agim::grid_size_for_level(ints[2]);
      samples.resize(6u * static_cast<std::size_t>(n * n));
      for (float& v : samples) in >> v;
      char separator = 0;
      in >> separator;
    }
    if (!in) state.SkipWithError("extraction failed");
    benchmark::DoNotOptimize(samples.data());
  }
  set_counters(state, f);
}

}  // namespace

BENCHMARK(BM_ReadAGIMFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAGIMText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StreamExtraction)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
