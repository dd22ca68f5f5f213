// The header-word viewer's reads and the editor's document forms: word
// places against their byte map, real SU and SEG-Y files, values at typed
// positions, byte-exact plain documents and the text of rich-text ones.
#include <gtest/gtest.h>

#include "common/files.hpp"
#include "common/su_file.hpp"
#include "common/testing/testsupport.hpp"
#include "conversion/shell/editor_text.hpp"
#include "conversion/shell/word_viewer.hpp"

using namespace keld;
using namespace keld::conversion;
using keld::testing::TempDir;

TEST(WordViewer, PlacesFollowTheByteMap) {
  auto list = ViewerWordList();
  ASSERT_EQ(list.size(), 79u);
  EXPECT_EQ(list[0], "1   Trace sequence number within line.");
  EXPECT_EQ(list[38], "39  Number of samples in this trace.");
  EXPECT_EQ(list[78], "79  mark selected traces");
  for (int k = 1; k <= 79; ++k) {
    auto p = ViewerWordPlace(k);
    int width = 0, pos = 0;
    if (k <= 7) width = 4, pos = 4 * k - 3;
    else if (k <= 11) width = 2, pos = 2 * k + 13;
    else if (k <= 19) width = 4, pos = 4 * k - 11;
    else if (k <= 21) width = 2, pos = 2 * k + 29;
    else if (k <= 25) width = 4, pos = 4 * k - 15;
    else if (k <= 71) width = 2, pos = 2 * k + 37;
    if (k >= 72) {
      EXPECT_FALSE(p) << k;
      continue;
    }
    ASSERT_TRUE(p) << k;
    EXPECT_EQ(p->width, width) << k;
    EXPECT_EQ(p->position, pos) << k;
  }
  EXPECT_EQ(TypedPosition("2.5"), 2);
  EXPECT_EQ(TypedPosition("3.5"), 4);
  EXPECT_EQ(TypedPosition("abc"), 0);
}

TEST(WordViewer, ReadsWordsAndValuesInsideTheFileOnly) {
  TempDir d;
  std::vector<SuTrace> t(1);
  t[0].header.ns = 1000;  // 4240 bytes: shorter than a SEG-Y header and a trace
  t[0].header.tracl = -7;
  t[0].header.sstat = 0x0102;
  t[0].samples.assign(1000, 0.5f);
  ASSERT_TRUE(WriteSuFile(d / "a.su", t));
  auto r = ReadViewerWord(d / "a.su", 39, false, false);
  EXPECT_EQ(r.value, " 1000");
  EXPECT_EQ(r.position, " 115");
  EXPECT_EQ(ReadViewerWord(d / "a.su", 39, false, true).value, "-6141");  // bytes 03 E8 read the other way
  EXPECT_EQ(ReadViewerWord(d / "a.su", 31, false, true).value, " 513");  // sstat
  auto w1 = ReadViewerWord(d / "a.su", 1, false, true);
  EXPECT_TRUE(w1.not_available);
  EXPECT_EQ(w1.value, "-7");  // shown unswapped
  EXPECT_EQ(ReadViewerWord(d / "a.su", 72, false, false).error, "Not possible");
  // As SEG-Y the word lies 3600 bytes on, past the end of a short file.
  EXPECT_EQ(ReadViewerWord(d / "a.su", 39, true, false).position, " 3715");
  keld::testing::WriteText(d / "short.sgy", std::string(3700, ' '));
  EXPECT_FALSE(ReadViewerWord(d / "short.sgy", 39, true, false).error.empty());
  EXPECT_EQ(ReadOtherValue(d / "a.su", 241, OtherType::Float).value, " .5");
  EXPECT_EQ(ReadOtherValue(d / "a.su", 115, OtherType::Short).value, " 1000");
  EXPECT_EQ(ReadOtherValue(d / "a.su", 1, OtherType::Long).value, "-7");
  EXPECT_EQ(ReadOtherValue(d / "a.su", 1, OtherType::Word).value, "");
  const int64_t size = 240 + 4000;
  EXPECT_TRUE(ReadOtherValue(d / "a.su", size - 3, OtherType::Long).error.empty());
  EXPECT_FALSE(ReadOtherValue(d / "a.su", size - 2, OtherType::Long).error.empty());
  EXPECT_FALSE(ReadOtherValue(d / "a.su", 0, OtherType::Short).error.empty());
  EXPECT_FALSE(ReadOtherValue(d / "none.su", 1, OtherType::Short).error.empty());
  EXPECT_FALSE(Existe_file(d / "none.su"));  // never created
}

TEST(EditorText, PlainDocumentsComeBackByteForByte) {
  std::vector<std::vector<uint8_t>> docs;
  std::string history = "segyread tape=a.sgy\r\nsufilter f=10,20\r\n";
  docs.emplace_back(history.begin(), history.end());
  std::string lf = "line one\nline \xc3\xa9t\xc3\xa9\n";
  docs.emplace_back(lf.begin(), lf.end());
  std::vector<uint8_t> all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<uint8_t>(b));
  docs.push_back(all);
  for (const auto& doc : docs) {
    PlainDocument p = DecodePlain(doc);
    EXPECT_EQ(EncodePlain(p.utf8, p.bytes, p.crlf, p.cr_kept), doc);
  }
  PlainDocument h = DecodePlain(docs[0]);
  EXPECT_TRUE(h.crlf);
  EXPECT_FALSE(h.bytes);
  EXPECT_EQ(h.utf8, "segyread tape=a.sgy\nsufilter f=10,20\n");
  EXPECT_TRUE(DecodePlain(all).bytes);
}

TEST(EditorText, RichTextGivesItsTextAndStyles) {
  const std::string rtf =
      "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red0\\green0\\blue0;}"
      "{\\*\\generator hidden;}\\f0\\fs20 Plain {\\b bold} and {\\i\\fs28 big italic}\\par\r\n"
      "{\\ul under}\\ulnone  caf\\'e9 \\u8364?\\tab x\\\\y\\{z\\}}";
  auto runs = ParseRtf(rtf);
  std::string text;
  for (const auto& r : runs) text += r.text;
  EXPECT_EQ(text, "Plain bold and big italic\nunder caf\xc3\xa9 \xe2\x82\xac\tx\\y{z}");
  ASSERT_GE(runs.size(), 5u);
  EXPECT_FALSE(runs[0].bold);
  EXPECT_EQ(runs[0].half_points, 20);
  EXPECT_TRUE(runs[1].bold);
  EXPECT_EQ(runs[1].text, "bold");
  EXPECT_TRUE(runs[3].italic);
  EXPECT_EQ(runs[3].half_points, 28);
  EXPECT_TRUE(runs[5].underline);
  // Broken documents end without reading past their text.
  for (const char* bad : {"{\\rtf1 \\", "{\\rtf1 \\'4", "{\\rtf1 \\u", "}}}}{{{", "{\\rtf1 \\fs99999999999999 x"})
    EXPECT_NO_THROW(ParseRtf(bad));
}
