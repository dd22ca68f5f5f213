#pragma once
// A streaming reader of XML documents such as the content of a workbook,
// fast enough for sheets of millions of cells (Qt's stream reader takes ten
// times longer). It reads bytes from a source as it goes, so a document is
// never held whole, and hands out one event at a time: the start of an element
// (its namespace resolved, its attributes), its end, and the text between.
//
// It takes what the XML standard allows in a document without a document
// type: UTF-8 text, namespaces, the five predefined entities and character
// references, comments, processing instructions and CDATA sections. A
// document type declaration (and with it any entity of the document's own) is
// refused, as are end tags that do not match, undeclared prefixes and a
// document cut short; the error says what and at which byte.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace keld {

class XmlScanner {
 public:
  // Fills `buf` with up to `cap` bytes: the count given, 0 at the end of the
  // document, -1 when the bytes cannot be read.
  using Source = std::function<int64_t(char* buf, size_t cap)>;

  enum class Event { StartElement, EndElement, Text, End, Error };

  explicit XmlScanner(Source source);

  Event next();

  // Of the current element (start or end): its namespace URI (empty for
  // none) and its local name.
  std::string_view ns() const;
  std::string_view name() const;
  // Of the current start: the value of the attribute (references replaced),
  // or `missing` when the element has none of that namespace and name.
  std::string_view attribute(std::string_view ns, std::string_view name, std::string_view missing = {}) const;
  // Of the current text: its characters, references replaced, line ends
  // as "\n".
  std::string_view text() const;
  // Depth of the current element (the document's root is 1).
  int depth() const { return static_cast<int>(open_.size()); }
  // Skips what the current start element holds, up to its end.
  bool skip_element();
  const std::string& error() const { return error_; }

 private:
  struct Span {
    size_t at = 0, len = 0;
  };
  struct Attr {
    Span qname, local;
    int ns = -1;   // index into bindings_; -1 no namespace, -2 a declaration
    Span value;    // in buf_ or, when `decoded`, in values_
    bool decoded = false;
  };
  struct Open {
    size_t name_at = 0;   // its qualified name, at the end of names_
    size_t bindings = 0;  // bindings_ size before this element's declarations
  };
  struct Binding {
    std::string prefix, uri;
  };

  // Bytes up to `end` are in buf_ (read from the source as needed); false at
  // the end of the document.
  bool need(size_t end) { return end <= buf_.size() || fill(end); }
  bool fill(size_t end);
  size_t find(char c, size_t from);    // position of c from `from`, npos at the end
  size_t find(std::string_view s, size_t from);
  Event fail(const std::string& why);
  Event start_tag();
  Event end_tag();
  Event text_run();
  // Comments and processing instructions (skipped), CDATA sections (`text`
  // set), declarations (refused). False on an error.
  bool markup(bool& text);
  bool name_at(size_t& p, Span& out);
  bool skip_blanks(size_t& p);
  bool decode(Span raw, bool attribute, std::string& out, Span& where);
  int resolve(std::string_view prefix) const;
  std::string_view view(Span s) const { return {buf_.data() + s.at, s.len}; }

  Source source_;
  std::string buf_;
  size_t pos_ = 0;        // next byte to read in buf_
  size_t chunk_ = 4096;   // bytes asked of the source next
  uint64_t consumed_ = 0; // bytes dropped from the front of buf_, for messages
  bool eof_ = false;
  bool failed_ = false;

  std::vector<Open> open_;
  std::string names_;  // qualified names of the open elements, end to end
  std::vector<Binding> bindings_;
  bool pending_end_ = false;  // a start tag closed with "/>"
  bool pop_ = false;          // the end event was handed out: drop the element next time

  // The current event.
  Span name_;
  int ns_ = -1;
  std::vector<Attr> attrs_;
  std::string values_;  // decoded attribute values
  Span text_;
  bool text_decoded_ = false;
  std::string text_buf_;
  std::string error_;
};

}  // namespace keld
