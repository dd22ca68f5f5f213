#pragma once
// Stepping the record number to the next or previous record, and the number
// box's own rule. Pure functions over the texts of the main window's boxes.
#include <string>
#include <string_view>

namespace keld::korvan {

inline constexpr std::string_view kMaximumRecordsMessage = "Maximum 9999 records";
inline constexpr std::string_view kMinimumRecordMessage = "Minimum record number =1000";

// The boxes involved: root, number, data folder, shot position, shot spacing,
// first receiver, receiver spacing, receiver step per shot.
struct RecordBoxes {
  std::string Text2, Text3, Text7, sx, Text19, fr, Text15, Text23;
};

struct RecordStep {
  RecordBoxes boxes;     // the new texts (Text3, sx and fr change)
  std::string message;   // to show in a stop box with OK; empty for none
  std::string Nome_Attivo;
};

// The number box's change rule: a value below 1000 (an empty box included)
// becomes "1000"; any other text stays.
std::string Text3_Rule(std::string_view Text3);

// Next record: number + 1 (at most 9999, with the message past it), the shot
// moved on by the shot spacing and the first receiver by spacing x step. A
// number beyond 16 bits cannot be rounded: it counts from 0 and gives 1, which
// the number box's rule turns into 1000.
RecordStep Record_Suivant(const RecordBoxes& in);

// Previous record: number - 1 (at least 1000, with the message below it), the
// geometry moved back by one shot. Only the lower limit is tested.
RecordStep Record_Precedent(const RecordBoxes& in);

}  // namespace keld::korvan
