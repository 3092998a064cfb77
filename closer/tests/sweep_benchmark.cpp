// Cost of a sweep per window, and of a log line, as the counts grow. Run on
// request; the per-window and per-line figures should stay flat.
#include <benchmark/benchmark.h>

#include "closer/form1.h"
#include "closer/shell_windows_model.h"
#include "toolkit/model/model_window.h"

namespace closer {
namespace {

struct NoLaunch final : ShellLaunch {
  void Open(toolkit::StringView) override {}
};

// One tick over N open windows, 1 in 100 showing a page (which stays listed,
// as a browser that is slow to close does); the log is emptied between ticks.
void BM_SweepPerWindow(benchmark::State& state) {
  const int windows = static_cast<int>(state.range(0));
  model::ModelShellWindows shell;
  NoLaunch launch;
  toolkit::model::ModelWindow window{Form1::Design()};
  Form1 form{window, shell, launch};
  window.Load();
  for (int i = 0; i < windows; ++i) {
    const bool html = i % 100 == 0;
    shell.Open({u"Some page title", u"http://site.test/page", u"C:\\iexplore.exe",
                html ? model::Shows::kHtml : model::Shows::kOther, 0});
  }
  auto& timer = window.GetTimer("Timer1");
  form.StartClosing();
  for (auto _ : state) {
    timer.Tick();
    state.PauseTiming();
    form.List1.Clear();
    state.ResumeTiming();
  }
  state.counters["per_window"] = benchmark::Counter(
      static_cast<double>(windows),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SweepPerWindow)->Arg(100)->Arg(1000)->Arg(10000);

// Appending N lines to the log, which is the list box itself.
void BM_AppendPerLine(benchmark::State& state) {
  const int lines = static_cast<int>(state.range(0));
  model::ModelShellWindows shell;
  NoLaunch launch;
  toolkit::model::ModelWindow window{Form1::Design()};
  Form1 form{window, shell, launch};
  const toolkit::String line = u"http://site.test/a/rather/long/address?with=query";
  for (auto _ : state) {
    for (int i = 0; i < lines; ++i) form.List1.AddItem(line);
    state.PauseTiming();
    form.List1.Clear();
    state.ResumeTiming();
  }
  state.counters["per_line"] =
      benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
}
BENCHMARK(BM_AppendPerLine)->Arg(1000)->Arg(10000)->Arg(100000);

}  // namespace
}  // namespace closer

BENCHMARK_MAIN();
