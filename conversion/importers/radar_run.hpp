#pragma once
// A radar profile converted from its file in steps, through the record
// importers' run: the data file is checked against the plan's counts by its
// length, then read a trace at a time, each trace written before the next is
// read (a profile of any size holds one trace in memory), and `run.go_on`
// asked before every read, so the window answers and a close stops the run.
// The output is written beside its name and takes it only when whole.
#include <functional>
#include <optional>

#include "conversion/importers/radar.hpp"
#include "conversion/importers/records/record_run.hpp"

namespace keld::conversion {

// The plan of a profile from its data file's length.
using RadarPlanner = std::function<Result<RadarPlan>(int64_t file_bytes)>;

struct RadarOutcome {
  RecordOutcome run;              // stopped, failed (error->what says why) or written
  std::optional<RadarPlan> plan;  // once the file's length was checked
};

// Converts `input` into `run.output` (the run's files and record count are
// set here); the plan's shortfall and notes are for the closing message.
RadarOutcome ConvertRadar(const std::string& input, RecordRun run, const RadarPlanner& plan);

}  // namespace keld::conversion
