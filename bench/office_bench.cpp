// The sheet pass through LibreOffice: block read and batched writes against
// one office call per cell operation; what a workbook command costs from
// the office's start to its end; and a workbook of 50 data sheets of 60
// points fitted in one call, which should take the office's start and
// about a second more. Run: build/bench/tavrix_office_bench
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "commands.h"
#include "support/data_sheet.h"
#include "support/fods.h"
#include "tavrix/datasheet/sheet_pass.h"
#include "tavrix/office/office_session.h"
#include "tavrix/water/water.h"

namespace tavrix {
namespace {

using testing_support::NumberText;

// An office with a workbook of 1000 model points, made once.
struct Fixture {
  Fixture() : office(OfficeSession::StartPrivate()) {
    const RBPar truth{-1.2, 0.55f, -120.0f};
    testing_support::SheetContents contents;
    contents.points.clear();
    for (int k = 0; k < 1000; ++k) {
      const float t = 25.0f + static_cast<float>((k * 4751) % 47500) / 100.0f;
      const float P = 500.0f + static_cast<float>((k * 331) % 4500);
      const float T = KelvinOf(t);
      contents.points.push_back({NumberText(t), NumberText(P), "", k % 16 == 15 ? "<" : "1",
                                 NumberText(RBpK(truth, T, WaterDensity(T, P)))});
    }
    const MemoryGrid grid = testing_support::BuildSheet(contents);
    path = (std::filesystem::temp_directory_path() / "tavrix-office-bench.ods").string();
    auto created = office->Create(path);
    OfficeSheet& sheet = created->Sheet("");
    for (int row = 1; row <= grid.RowCount(); ++row) {
      for (int col = 1; col <= grid.ColumnCount(row); ++col) {
        if (!grid.At(row, col).content.IsEmpty())
          sheet.SetCell(row, col, grid.At(row, col).content);
      }
    }
    created->Save();
    workbook = office->Open(path);
  }
  ~Fixture() {
    workbook.reset();
    office.reset();
    std::filesystem::remove(path);
  }
  std::unique_ptr<OfficeSession> office;
  std::unique_ptr<OfficeWorkbook> workbook;
  std::string path;
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

void BM_OfficePassBlockRead(benchmark::State& state) {
  OfficeSheet& sheet = Shared().workbook->Sheet("");
  for (auto _ : state) {
    state.PauseTiming();
    sheet.Refresh();
    state.ResumeTiming();
    const SheetPassResult pass = PassOverSheet(sheet, {});
    sheet.Flush();
    if (!pass.clean()) state.SkipWithError(pass.read.error->Message().c_str());
  }
}
BENCHMARK(BM_OfficePassBlockRead)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_OfficePassCellByCell(benchmark::State& state) {
  const auto sheet = Shared().workbook->UnbatchedSheet("");
  for (auto _ : state) {
    const SheetPassResult pass = PassOverSheet(*sheet, {});
    if (!pass.clean()) state.SkipWithError(pass.read.error->Message().c_str());
  }
}
BENCHMARK(BM_OfficePassCellByCell)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// A workbook command's office work on the example workbook: a private
// office started, the workbook opened, its sheet read and passed over, the
// workbook closed and the office ended; each step's own time as a counter.
void BM_OfficeCommand(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  std::map<std::string, double> seconds;
  for (auto _ : state) {
    auto mark = Clock::now();
    const auto step = [&](const char* name) {
      const auto now = Clock::now();
      seconds[name] += std::chrono::duration<double>(now - mark).count();
      mark = now;
    };
    auto office = OfficeSession::StartPrivate();
    step("start");
    auto workbook = office->Open(TAVRIX_EXAMPLE_WORKBOOK, OfficeSession::Access::kReadOnly);
    step("open");
    const SheetPassResult pass = PassOverSheet(workbook->Sheet(""), {});
    step("read");
    workbook.reset();
    office.reset();
    step("end");
    if (!pass.clean()) state.SkipWithError(pass.read.error->Message().c_str());
  }
  for (const auto& [name, total] : seconds) {
    state.counters[name] = benchmark::Counter(total, benchmark::Counter::kAvgIterations);
  }
}
BENCHMARK(BM_OfficeCommand)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// `tavrix fit --all-sheets --dry-run` of a workbook of 50 data sheets of
// 60 points each, against the start and end of a private office alone.
void BM_FitFiftySheets(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  std::vector<testing_support::FodsSheet> sheets;
  for (int s = 0; s < 50; ++s) {
    const RBPar truth{-1.2 + 0.01 * s, 0.55f, -120.0f};
    testing_support::SheetContents contents;
    contents.points.clear();
    for (int k = 0; k < 60; ++k) {
      const float t = 25.0f + static_cast<float>(k % 20) * 25.0f;
      const float P = 500.0f + 1000.0f * static_cast<float>(k / 20);
      const float T = KelvinOf(t);
      contents.points.push_back({NumberText(t), NumberText(P), "", "1",
                                 NumberText(RBpK(truth, T, WaterDensity(T, P)) + 0.01 * (k % 3))});
    }
    sheets.push_back({"Complex" + std::to_string(s + 1), testing_support::BuildSheet(contents)});
  }
  const std::string path =
      (std::filesystem::temp_directory_path() / "tavrix-fifty-sheets.fods").string();
  std::ofstream(path) << testing_support::Fods(sheets);
  cli::FitRequest request{cli::BookOptions{{path}}};
  request.books.allSheets = true;
  request.dryRun = true;
  request.fit = std::vector<std::string>{"pK298", "A", "B"};
  double start = 0, total = 0;
  for (auto _ : state) {
    auto mark = Clock::now();
    OfficeSession::StartPrivate().reset();
    start += std::chrono::duration<double>(Clock::now() - mark).count();
    mark = Clock::now();
    std::ostringstream out, err;
    if (cli::RunFit(request, out, err) != cli::kExitOk) state.SkipWithError(err.str().c_str());
    total += std::chrono::duration<double>(Clock::now() - mark).count();
  }
  state.counters["office_start"] = benchmark::Counter(start, benchmark::Counter::kAvgIterations);
  state.counters["beyond_start"] =
      benchmark::Counter(total - start, benchmark::Counter::kAvgIterations);
  std::filesystem::remove(path);
}
BENCHMARK(BM_FitFiftySheets)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace tavrix
