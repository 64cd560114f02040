#include "app/sweep_engine.h"

#include <utility>

namespace korvel {
namespace {

class EngineSweep final : public WindowSweep {
 public:
  EngineSweep(std::vector<SweepInput> inputs, RowSink& sink, SweepJobOptions options)
      : job_(std::move(inputs), sink, options) {}
  void Start() override { job_.Start(); }
  void Cancel() override { job_.Cancel(); }
  void Wait() override { job_.Wait(); }
  SweepCounters Counters() const override { return job_.Counters(); }
  std::string CurrentFile() const override { return job_.CurrentFile(); }

 private:
  SweepJob job_;
};

WindowSweepFactory& Installed() {
  static WindowSweepFactory factory;
  return factory;
}

}  // namespace

std::unique_ptr<WindowSweep> MakeEngineSweep(std::vector<SweepInput> inputs, RowSink& sink,
                                             SweepJobOptions options) {
  return std::make_unique<EngineSweep>(std::move(inputs), sink, options);
}

std::unique_ptr<WindowSweep> MakeWindowSweep(std::vector<SweepInput> inputs, RowSink& sink) {
  if (Installed()) return Installed()(std::move(inputs), sink);
  return MakeEngineSweep(std::move(inputs), sink);
}

WindowSweepFactory SetWindowSweepFactory(WindowSweepFactory factory) {
  return std::exchange(Installed(), std::move(factory));
}

}  // namespace korvel
