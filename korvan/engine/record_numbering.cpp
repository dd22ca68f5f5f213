#include "korvan/engine/record_numbering.hpp"

#include "common/numtext.hpp"
#include "korvan/engine/data_paths.hpp"

namespace keld::korvan {

namespace {

// Writing the number box runs its own rule; then the name and the geometry
// follow, the limits notwithstanding.
RecordStep Finish(const RecordBoxes& in, std::string number, std::string message, double direction) {
  RecordStep s{in, std::move(message), {}};
  s.boxes.Text3 = Text3_Rule(number);
  s.Nome_Attivo = Nome_Attivo(in.Text7, in.Text2, s.boxes.Text3);
  s.boxes.sx = CStr(Val(in.sx) + direction * Val(in.Text19));
  s.boxes.fr = CStr(Val(in.fr) + direction * (Val(in.Text15) * Val(in.Text23)));
  return s;
}

}  // namespace

std::string Text3_Rule(std::string_view Text3) {
  if (Val(Text3) < 1000) return "1000";
  return std::string(Text3);
}

RecordStep Record_Suivant(const RecordBoxes& in) {
  int32_t n = CInt(Val(in.Text3)).value_or(0);
  n = n + 1;
  std::string message;
  if (n > 9999) {
    n = 9999;
    message = kMaximumRecordsMessage;
  }
  return Finish(in, std::to_string(n), std::move(message), +1);
}

RecordStep Record_Precedent(const RecordBoxes& in) {
  double n = Val(in.Text3) - 1;
  std::string message;
  if (n < 1000) {
    n = 1000;
    message = kMinimumRecordMessage;
  }
  return Finish(in, CStr(n), std::move(message), -1);
}

}  // namespace keld::korvan
