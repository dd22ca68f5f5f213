// The XML scanner against documents worked out by hand from the XML and
// namespace recommendations, read whole and one byte at a time.
#include <gtest/gtest.h>

#include <string>

#include "platform/sheet/xml_scanner.hpp"

using namespace keld;

namespace {
// Events as text: <{ns}name attr> ... </name>, text in quotes; the error's
// first words at the end.
std::string Events(const std::string& doc, size_t step, const char* ns = "", const char* attr = "") {
  size_t at = 0;
  XmlScanner x([&](char* buf, size_t cap) -> int64_t {
    const size_t n = std::min({cap, step, doc.size() - at});
    doc.copy(buf, n, at);
    at += n;
    return static_cast<int64_t>(n);
  });
  std::string out;
  for (;;) {
    switch (x.next()) {
      case XmlScanner::Event::StartElement:
        out += "<{" + std::string(x.ns()) + "}" + std::string(x.name());
        if (*attr) out += " " + std::string(x.attribute(ns, attr, "-"));
        out += ">";
        break;
      case XmlScanner::Event::EndElement: out += "</" + std::string(x.name()) + ">"; break;
      case XmlScanner::Event::Text: out += "'" + std::string(x.text()) + "'"; break;
      case XmlScanner::Event::End: return out;
      case XmlScanner::Event::Error: return out + "!" + x.error().substr(0, x.error().find(" (byte"));
    }
  }
}
}  // namespace

TEST(XmlScanner, DocumentsAsTheRecommendationsReadThem) {
  struct Case {
    const char* doc;
    const char* ns;
    const char* attr;
    const char* events;
  };
  const Case cases[] = {
      // Any prefix stands for its URI; an attribute without one has none.
      {"<x:a xmlns:x='u' xmlns:y=\"v\" y:k='1' k='2'><x:b/>t</x:a>", "v", "k", "<{u}a 1><{u}b -></b>'t'</a>"},
      {"<x:a xmlns:x='u' xmlns:y=\"v\" y:k='1' k='2'/>", "", "k", "<{u}a 2></a>"},
      // A default namespace holds for the element and below, not beyond.
      {"<a xmlns='u'><b xmlns='w'/><c/></a>", "", "", "<{u}a><{w}b></b><{u}c></c></a>"},
      {"<p:a xmlns:p='u'><p:b xmlns:p='w'/><p:c/></p:a>", "", "", "<{u}a><{w}b></b><{u}c></c></a>"},
      // References in values and texts; blanks in values are spaces.
      {"<a k=\"&lt;&#65;&#x42;&amp;\tz\">&quot;x&apos;&#233;&gt;</a>", "", "k", "<{}a <AB& z>'\"x'\xC3\xA9>'</a>"},
      // Line ends are read as one "\n".
      {"<a>l1\r\nl2\rl3</a>", "", "", "<{}a>'l1\nl2\nl3'</a>"},
      // Declarations, comments and instructions are skipped; CDATA is text.
      {"<?xml version='1.0'?><!-- <b> --><a><![CDATA[<b>&amp;]]><?pi x?></a>", "", "", "<{}a>'<b>&amp;'</a>"},
      {"<a k = \"1\" ></a >", "", "k", "<{}a 1></a>"},
      // Refused.
      {"<a></b>", "", "", "<{}a>!</b> closes <a>"},
      {"<!DOCTYPE a [<!ENTITY e 'x'>]><a>&e;</a>", "", "", "!a document type declaration is not read"},
      {"<a>&e;</a>", "", "", "<{}a>!a text holds an unknown reference"},
      {"<a>&#0;</a>", "", "", "<{}a>!a text holds an unknown reference"},
      {"<a k='&#xD800;'/>", "", "", "!an attribute value holds an unknown reference"},
      {"<a><b>", "", "", "<{}a><{}b>!the document is cut short"},
      {"<a k='1", "", "", "!the document is cut short"},
      {"<p:a/>", "", "", "!the prefix of <p:a> is not declared"},
      {"<a p:k='1'/>", "", "", "!the prefix of the attribute p:k is not declared"},
      {"<a k=1/>", "", "", "!an attribute value is not quoted"},
      {"<a k='1'j='2'/>", "", "", "!attributes are not separated by blanks"},
      {"<a k='<'/>", "", "", "!an attribute value holds <"},
      {"</a>", "", "", "!an end tag closes nothing"},
  };
  for (const Case& c : cases)
    for (size_t step : {size_t{1} << 20, size_t{1}, size_t{3}})
      EXPECT_EQ(Events(c.doc, step, c.ns, c.attr), c.events) << c.doc << " read " << step << " bytes at a time";
}

TEST(XmlScanner, SkipsElementsAndReportsSourceFailures) {
  const std::string doc = "<a><b><c>x</c><c/></b><d/></a>";
  size_t at = 0;
  XmlScanner x([&](char* buf, size_t cap) -> int64_t {
    const size_t n = std::min(cap, doc.size() - at);
    doc.copy(buf, n, at);
    at += n;
    return static_cast<int64_t>(n);
  });
  ASSERT_EQ(x.next(), XmlScanner::Event::StartElement);  // a
  ASSERT_EQ(x.next(), XmlScanner::Event::StartElement);  // b
  EXPECT_EQ(x.depth(), 2);
  ASSERT_TRUE(x.skip_element());
  ASSERT_EQ(x.next(), XmlScanner::Event::StartElement);
  EXPECT_EQ(x.name(), "d");
  EXPECT_EQ(x.depth(), 2);
  ASSERT_TRUE(x.skip_element());  // an empty element's own end
  ASSERT_EQ(x.next(), XmlScanner::Event::EndElement);
  EXPECT_EQ(x.name(), "a");
  EXPECT_EQ(x.next(), XmlScanner::Event::End);

  XmlScanner broken([](char*, size_t) -> int64_t { return -1; });
  EXPECT_EQ(broken.next(), XmlScanner::Event::Error);
  EXPECT_EQ(broken.error().rfind("the bytes cannot be read", 0), 0u) << broken.error();
}
