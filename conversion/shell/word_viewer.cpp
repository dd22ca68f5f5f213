#include "conversion/shell/word_viewer.hpp"

#include <cmath>
#include <cstring>

#include "common/bytes.hpp"
#include "common/header_io.hpp"
#include "common/header_words.hpp"
#include "common/numtext.hpp"
#include "conversion/shell/module1.hpp"

namespace keld::conversion {

std::vector<std::string> ViewerWordList() {
  std::vector<std::string> lines;
  for (int k = 1; k <= 79; ++k) lines.push_back(HeaderWordListLine(*FindHeaderWord(k)));
  return lines;
}

std::optional<WordPlace> ViewerWordPlace(int k) {
  if (k < 1 || k > 71) return std::nullopt;
  const HeaderWord* w = FindHeaderWord(k);
  return WordPlace{w->width, w->byte + 1};
}

namespace {
WordRead Failed(std::string why) {
  WordRead r;
  r.error = std::move(why);
  return r;
}
}  // namespace

WordRead ReadViewerWord(const std::string& path, int k, bool segy, bool swap) {
  auto place = ViewerWordPlace(k);
  if (!place) return Failed("Not possible");
  const int64_t p = place->position + (segy ? 3600 : 0);
  InPlaceFile f;
  if (Status s = f.open(path, false); !s) return Failed(s.error);
  uint8_t b[4];
  if (Status s = f.read_at(p - 1, b, static_cast<size_t>(place->width)); !s) return Failed(s.error);
  WordRead r;
  r.width = place->width;
  r.position = Str(static_cast<double>(p));
  if (place->width == 2) {
    int16_t v = get_i16le(b);
    if (swap) v = Swap_Int(v);
    r.value = Str(v);
  } else {
    r.not_available = swap;
    r.value = Str(get_i32le(b));
  }
  return r;
}

WordRead ReadOtherValue(const std::string& path, int64_t position, OtherType type) {
  WordRead r;
  r.position = Str(static_cast<double>(position));
  if (type == OtherType::Word) return r;  // nothing to read: the value box is emptied
  const int width = type == OtherType::Short ? 2 : 4;
  InPlaceFile f;
  if (Status s = f.open(path, false); !s) return Failed(s.error);
  if (position < 1) return Failed("Byte position " + std::to_string(position) + " is before the start of the file");
  uint8_t b[4];
  if (Status s = f.read_at(position - 1, b, static_cast<size_t>(width)); !s)
    return Failed("Byte position " + std::to_string(position) + " and the " + std::to_string(width) +
                  " bytes from it are not all inside " + path + " (" + std::to_string(f.size()) + " bytes)");
  r.width = width;
  if (type == OtherType::Short) r.value = Str(get_i16le(b));
  if (type == OtherType::Long) r.value = Str(get_i32le(b));
  if (type == OtherType::Float) r.value = StrSingle(get_f32le(b));
  return r;
}

int64_t TypedPosition(const std::string& text) {
  double v = RoundHalfEven(Val(text));
  if (!std::isfinite(v) || v < -9e18 || v > 9e18) return 0;
  return static_cast<int64_t>(v);
}

}  // namespace keld::conversion
