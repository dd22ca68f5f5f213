#include "korvan/engine/stack.hpp"

#include "common/files.hpp"
#include "common/sample_interval.hpp"
#include "common/su_file.hpp"

namespace keld::korvan {

Status StackOnto(const std::string& record, const std::string& shot) {
  auto s = ReadSuLayout(shot);
  if (!s) return Status::failure("No shot to stack: " + s.error());
  if (!Existe_file(record)) return Status::failure(record + " does not exist, stack impossible");
  auto r = ReadSuLayout(record);
  if (!r || r->ns != s->ns) return Status::failure(kStackSamplesChanged);
  // An older record carries the nominal interval of its rate, a new shot the
  // exact one: what must agree is the sampling frequency.
  if (!SameSampling(r->dt, s->dt)) return Status::failure(kStackRateChanged);
  if (r->traces != s->traces || !r->whole())
    return Status::failure(kStackTracesChanged);

  SuReader in_shot, in_record;
  if (auto st = in_shot.open(shot); !st) return st;
  if (auto st = in_record.open(record); !st) return st;
  SuTrace a, b;
  if (!in_record.read(0, b)) return Status::failure(in_record.error());
  const int16_t nvs = static_cast<int16_t>(b.header.nvs + 1);

  SuWriter out(record);
  if (!out.is_open()) return Status::failure(out.error());
  for (int64_t k = 0; k < s->traces; ++k) {
    if (!in_shot.read(k, a)) return Status::failure(in_shot.error());
    if (!in_record.read(k, b)) return Status::failure(in_record.error());
    b.header.nvs = nvs;
    for (size_t i = 0; i < b.samples.size(); ++i)
      b.samples[i] = static_cast<float>(static_cast<double>(b.samples[i]) + static_cast<double>(a.samples[i]));
    if (!out.write(b)) return Status::failure(out.error());
  }
  if (!out.commit()) return Status::failure(out.error());
  return Status::good();
}

}  // namespace keld::korvan
