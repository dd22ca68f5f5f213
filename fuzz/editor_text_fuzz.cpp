// Arbitrary bytes as a document of the text editor: read as rich text and as
// a plain document, which must come back as the same bytes.
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "conversion/shell/editor_text.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace keld::conversion;
  (void)ParseRtf(std::string_view(reinterpret_cast<const char*>(data), size));
  std::vector<uint8_t> bytes(data, data + size);
  PlainDocument d = DecodePlain(bytes);
  if (EncodePlain(d.utf8, d.bytes, d.crlf, d.cr_kept) != bytes) std::abort();
  return 0;
}
