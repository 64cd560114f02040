#pragma once
// The sweep engine as the window drives it: started, watched and cancelled
// from the window's thread while the engine calls the sink on its own. The
// scenario tests put an engine of their own in its place.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/sweep_job.h"

namespace korvel {

class WindowSweep {
 public:
  virtual ~WindowSweep() = default;
  // From now on the sink is called, on a thread of the engine.
  virtual void Start() = 0;
  // Returns at once; the engine stops soon after.
  virtual void Cancel() = 0;
  // Until the sink is called no more.
  virtual void Wait() = 0;
  virtual SweepCounters Counters() const = 0;
  virtual std::string CurrentFile() const = 0;
};

using WindowSweepFactory =
    std::function<std::unique_ptr<WindowSweep>(std::vector<SweepInput> inputs, RowSink& sink)>;

// The engine on every core, or what SetWindowSweepFactory put in its place.
std::unique_ptr<WindowSweep> MakeWindowSweep(std::vector<SweepInput> inputs, RowSink& sink);
// Replaces the engine (an empty factory: the engine again); returns the one before.
WindowSweepFactory SetWindowSweepFactory(WindowSweepFactory factory);
// The engine itself, with these options.
std::unique_ptr<WindowSweep> MakeEngineSweep(std::vector<SweepInput> inputs, RowSink& sink,
                                             SweepJobOptions options = {});

}  // namespace korvel
