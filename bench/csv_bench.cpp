// Reading a large CSV data sheet: time, and the peak memory it takes
// against the size of the file (target: under 3 times).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "tavrix/sheet/csv_sheet.h"

namespace tavrix {
namespace {

namespace fs = std::filesystem;

// A data sheet of `bytes` bytes: the head, then point rows with a comment,
// far more than a sheet can hold.
std::string BigSheet(std::size_t bytes) {
  const std::string path = (fs::temp_directory_path() / "tavrix-bench-big.csv").string();
  std::ofstream file(path, std::ios::binary);
  file << "Title\n,Complex:,NaCl\n,Coef.,Basic species\n,1,Na+\n,1,Cl-\n\n\n"
          "Parameter,,Reference,,init.,opt.,\xC2\xB1,Comment\npK(298):,?\nA(zz/a):,?\nB(zz/a):,?\n"
          ",,,error:\nExperimental point,,,,pK\n"
          "\"T, C\",\"P, bar\",\"D, g/cm3\",weight,exper.,opt.,error,Comment\n";
  const std::string row = "25,1,,1,1.234567,,," + std::string(60, 'x') + "\n";
  for (std::size_t written = 0; written < bytes; written += row.size()) file << row;
  return path;
}

long PeakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// The peak memory of one read, measured in a child process of its own.
double PeakPerFileByte(const std::string& path) {
  int channel[2];
  if (::pipe(channel) != 0) return -1;
  const pid_t child = ::fork();
  if (child == 0) {
    const long before = PeakKilobytes();
    const CsvSheet sheet = LoadCsvSheet(path, false);
    benchmark::DoNotOptimize(sheet.RowCount());
    const double ratio = static_cast<double>(PeakKilobytes() - before) * 1024.0 /
                         static_cast<double>(fs::file_size(path));
    [[maybe_unused]] const auto n = ::write(channel[1], &ratio, sizeof ratio);
    ::_exit(0);
  }
  double ratio = -1;
  [[maybe_unused]] const auto n = ::read(channel[0], &ratio, sizeof ratio);
  ::waitpid(child, nullptr, 0);
  ::close(channel[0]);
  ::close(channel[1]);
  return ratio;
}

void BM_LoadCsvSheetOf200MB(benchmark::State& state) {
  const std::string path = BigSheet(200u << 20);
  for (auto _ : state) {
    const CsvSheet sheet = LoadCsvSheet(path, false);
    benchmark::DoNotOptimize(sheet.RowCount());
  }
  state.counters["peak_memory_per_file_byte"] = PeakPerFileByte(path);
  fs::remove(path);
}
BENCHMARK(BM_LoadCsvSheetOf200MB)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace tavrix
