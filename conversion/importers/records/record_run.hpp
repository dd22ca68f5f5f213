#pragma once
// The conversion run of a record importer: the listed record files, one record
// each, read one after the other by the format's reader and written, trace
// after trace, into one new SU file. At most 99 records; the output is written
// beside its name and takes it only when every record was converted, so a
// failure leaves no half file and an older file of that name as it was.
//
// A record is read in pieces, a trace at a time, and each trace is written
// before the next is read: the run holds a trace, not a record. Before each
// record is opened and before each piece is read it calls `go_on`, which
// hands control back to the window and may stop the run; a stopped run
// writes nothing either.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "conversion/importers/records/record_import.hpp"

namespace keld::conversion {

// A format's reader with the window's values: hands the traces of record
// `record` (from 1) of `file` to `give`, one at a time.
using RecordReader =
    std::function<ReadEnd(RecordSource& file, const std::string& name, int record, const TraceSink& give)>;

struct RecordRun {
  std::vector<std::string> files;  // the list, record 1 first
  int records = 0;                 // how many to convert (typed, or the list's count)
  std::string output;
  // Called once when more than 99 records are asked ("Maximum 99 records").
  std::function<void()> on_limit = {};
  // Called before each record (from 1) with the number of records to convert.
  std::function<void(int record, int records)> on_record = {};
  bool limit = true;  // the 99-record limit of the record importers
  // Called after each trace written, with the count written so far.
  std::function<void(int64_t traces)> on_trace = {};
  // Called before each record is opened and before each piece of it is
  // read; false stops the run.
  std::function<bool()> go_on = {};
};

struct RecordOutcome {
  int records = 0;     // converted
  int64_t traces = 0;  // written
  std::optional<ImportError> error;
  bool stopped = false;  // go_on said stop: nothing was written
  // Records listed past the 99 of a limited run, not converted: records 100
  // to 99 + left_out.
  int left_out = 0;
  bool ok() const { return !error && !stopped; }
};

RecordOutcome ConvertRecords(const RecordRun& run, const RecordReader& read);

// What a run that left records out says instead of its OK: which records,
// why, and what `output` holds.
std::string LeftOutText(int left_out, const std::string& output);

}  // namespace keld::conversion
