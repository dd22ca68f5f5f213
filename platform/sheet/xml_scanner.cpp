#include "platform/sheet/xml_scanner.hpp"

#include <algorithm>
#include <cstring>

#include "common/text.hpp"

namespace keld {

namespace {
constexpr size_t kChunk = size_t{1} << 20;
constexpr size_t npos = std::string::npos;
constexpr const char* kXmlNs = "http://www.w3.org/XML/1998/namespace";

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Bytes that end a name, looked up rather than compared: names are most of
// what a worksheet's XML holds.
struct NameEnds {
  bool at[256] = {};
  constexpr NameEnds() {
    for (unsigned char c : {' ', '\t', '\n', '\r', '/', '>', '=', '<', '"', '\''}) at[c] = true;
  }
};
constexpr NameEnds kNameEnds;
bool EndsName(char c) { return kNameEnds.at[static_cast<unsigned char>(c)]; }

// The character a reference stands for ("amp", "#60", "#x3C"); 0 for none.
uint32_t Reference(std::string_view r) {
  if (r == "amp") return '&';
  if (r == "lt") return '<';
  if (r == "gt") return '>';
  if (r == "quot") return '"';
  if (r == "apos") return '\'';
  if (r.size() < 2 || r[0] != '#') return 0;
  const bool hex = r[1] == 'x';
  const std::string_view digits = r.substr(hex ? 2 : 1);
  if (digits.empty() || digits.size() > 8) return 0;
  uint32_t cp = 0;
  for (char c : digits) {
    int d = -1;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    if (d < 0) return 0;
    cp = cp * (hex ? 16 : 10) + static_cast<uint32_t>(d);
  }
  // Only the characters an XML document may hold.
  const bool allowed = cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) ||
                       (cp >= 0xE000 && cp <= 0xFFFD) || (cp >= 0x10000 && cp <= 0x10FFFF);
  return allowed ? cp : 0;
}
}  // namespace

XmlScanner::XmlScanner(Source source) : source_(std::move(source)) {
  bindings_.push_back({"xml", kXmlNs});
}

bool XmlScanner::fill(size_t end) {
  while (buf_.size() < end) {
    if (eof_ || failed_) return false;
    // Small reads first, so that a small document costs little.
    const size_t old = buf_.size();
    buf_.resize(old + chunk_);
    const int64_t n = source_(buf_.data() + old, chunk_);
    chunk_ = std::min(chunk_ * 2, kChunk);
    buf_.resize(old + static_cast<size_t>(n > 0 ? n : 0));
    if (n < 0) {
      fail("the bytes cannot be read");
      return false;
    }
    if (n == 0) eof_ = true;
  }
  return true;
}

size_t XmlScanner::find(char c, size_t from) {
  for (;;) {
    if (from < buf_.size()) {
      const void* hit = std::memchr(buf_.data() + from, c, buf_.size() - from);
      if (hit) return static_cast<size_t>(static_cast<const char*>(hit) - buf_.data());
      from = buf_.size();
    }
    if (!need(from + 1)) return npos;
  }
}

size_t XmlScanner::find(std::string_view s, size_t from) {
  for (;;) {
    const size_t p = find(s[0], from);
    if (p == npos) return npos;
    if (!need(p + s.size())) return npos;
    if (std::string_view(buf_.data() + p, s.size()) == s) return p;
    from = p + 1;
  }
}

XmlScanner::Event XmlScanner::fail(const std::string& why) {
  if (!failed_) error_ = why + " (byte " + std::to_string(consumed_ + pos_) + ")";
  failed_ = true;
  return Event::Error;
}

bool XmlScanner::skip_blanks(size_t& p) {
  const size_t start = p;
  for (;;) {
    const char* b = buf_.data();
    const size_t n = buf_.size();
    while (p < n && Blank(b[p])) ++p;
    if (p < n || !need(p + 1)) break;
  }
  return p > start;
}

bool XmlScanner::name_at(size_t& p, Span& out) {
  out.at = p;
  for (;;) {
    const char* b = buf_.data();
    const size_t n = buf_.size();
    while (p < n && !EndsName(b[p])) ++p;
    if (p < n || !need(p + 1)) break;
  }
  out.len = p - out.at;
  return out.len > 0;
}

int XmlScanner::resolve(std::string_view prefix) const {
  for (size_t i = bindings_.size(); i-- > 0;)
    if (bindings_[i].prefix == prefix) return static_cast<int>(i);
  return -1;
}

bool XmlScanner::decode(Span raw, bool attribute, std::string& out, Span& where) {
  where.at = out.size();
  const std::string_view s = view(raw);
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '&') {
      const size_t semi = s.find(';', i + 1);
      const uint32_t cp = semi == npos || semi - i > 12 ? 0 : Reference(s.substr(i + 1, semi - i - 1));
      if (!cp) return false;
      AppendUtf8(out, cp);
      i = semi;
    } else if (c == '\r') {
      // Line ends read as one "\n", blanks in attribute values as spaces.
      if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
      out += attribute ? ' ' : '\n';
    } else if (attribute && (c == '\t' || c == '\n')) {
      out += ' ';
    } else {
      out += c;
    }
  }
  where.len = out.size() - where.at;
  return true;
}

XmlScanner::Event XmlScanner::next() {
  for (;;) {
    if (failed_) return Event::Error;
    if (pop_) {
      const Open& o = open_.back();
      bindings_.resize(o.bindings);
      names_.resize(o.name_at);
      open_.pop_back();
      pop_ = false;
    }
    if (pending_end_) {
      pending_end_ = false;
      pop_ = true;
      return Event::EndElement;
    }
    if (pos_ >= kChunk) {
      buf_.erase(0, pos_);
      consumed_ += pos_;
      pos_ = 0;
    }
    if (!need(pos_ + 1)) {
      if (failed_) return Event::Error;
      if (!open_.empty()) return fail("the document is cut short");
      return Event::End;
    }
    if (buf_[pos_] != '<') return text_run();
    if (!need(pos_ + 2)) return fail("the document is cut short");
    const char c = buf_[pos_ + 1];
    if (c == '/') return end_tag();
    if (c != '?' && c != '!') return start_tag();
    bool text = false;
    if (!markup(text)) return Event::Error;
    if (text) return Event::Text;
  }
}

XmlScanner::Event XmlScanner::start_tag() {
  size_t p = pos_ + 1;
  Span qname;
  if (!name_at(p, qname)) return fail("a tag has no name");
  attrs_.clear();
  values_.clear();
  bool closed = false;
  for (;;) {
    const bool blank = skip_blanks(p);
    if (!need(p + 1)) return fail("the document is cut short");
    if (buf_[p] == '>') {
      ++p;
      break;
    }
    if (buf_[p] == '/') {
      if (!need(p + 2) || buf_[p + 1] != '>') return fail("a tag is not closed");
      p += 2;
      closed = true;
      break;
    }
    if (!blank) return fail("attributes are not separated by blanks");
    Attr a;
    if (!name_at(p, a.qname)) return fail("an attribute has no name");
    skip_blanks(p);
    if (!need(p + 1) || buf_[p] != '=') return fail("an attribute has no value");
    ++p;
    skip_blanks(p);
    if (!need(p + 1) || (buf_[p] != '"' && buf_[p] != '\'')) return fail("an attribute value is not quoted");
    const size_t end = find(buf_[p], p + 1);
    if (end == npos) return fail("the document is cut short");
    a.value = {p + 1, end - p - 1};
    p = end + 1;
    const std::string_view v = view(a.value);
    if (v.find('<') != npos) return fail("an attribute value holds <");
    if (v.find_first_of("&\t\n\r") != npos) {
      if (!decode(a.value, true, values_, a.value)) return fail("an attribute value holds an unknown reference");
      a.decoded = true;
    }
    attrs_.push_back(a);
  }

  // Namespace declarations hold for the element and what it holds.
  Open o;
  o.bindings = bindings_.size();
  for (Attr& a : attrs_) {
    const std::string_view q = view(a.qname);
    if (q != "xmlns" && q.substr(0, 6) != "xmlns:") continue;
    const std::string_view v = a.decoded ? std::string_view(values_).substr(a.value.at, a.value.len) : view(a.value);
    bindings_.push_back({std::string(q.size() > 5 ? q.substr(6) : std::string_view()), std::string(v)});
    a.ns = -2;  // a declaration, not an attribute
  }
  auto split = [&](Span q, Span& local, int& ns, bool element) {
    const std::string_view s = view(q);
    const size_t colon = s.find(':');
    if (colon == npos) {
      local = q;
      ns = element ? resolve("") : -1;
      return true;
    }
    local = {q.at + colon + 1, s.size() - colon - 1};
    ns = resolve(s.substr(0, colon));
    return ns >= 0 && local.len > 0;
  };
  if (!split(qname, name_, ns_, true)) return fail("the prefix of <" + std::string(view(qname)) + "> is not declared");
  for (Attr& a : attrs_)
    if (a.ns != -2 && !split(a.qname, a.local, a.ns, false))
      return fail("the prefix of the attribute " + std::string(view(a.qname)) + " is not declared");
  o.name_at = names_.size();
  names_.append(view(qname));
  open_.push_back(o);
  pos_ = p;
  pending_end_ = closed;
  return Event::StartElement;
}

XmlScanner::Event XmlScanner::end_tag() {
  size_t p = pos_ + 2;
  Span qname;
  if (!name_at(p, qname)) return fail("an end tag has no name");
  skip_blanks(p);
  if (!need(p + 1) || buf_[p] != '>') return fail("an end tag is not closed");
  if (open_.empty()) return fail("an end tag closes nothing");
  const std::string_view open_name = std::string_view(names_).substr(open_.back().name_at);
  if (view(qname) != open_name)
    return fail("</" + std::string(view(qname)) + "> closes <" + std::string(open_name) + ">");
  const std::string_view s = view(qname);
  const size_t colon = s.find(':');
  name_ = colon == npos ? qname : Span{qname.at + colon + 1, s.size() - colon - 1};
  ns_ = resolve(colon == npos ? std::string_view() : s.substr(0, colon));
  pos_ = p + 1;
  pop_ = true;
  return Event::EndElement;
}

XmlScanner::Event XmlScanner::text_run() {
  size_t end = find('<', pos_);
  if (failed_) return Event::Error;
  if (end == npos) end = buf_.size();
  const Span raw{pos_, end - pos_};
  pos_ = end;
  text_decoded_ = view(raw).find_first_of("&\r") != npos;
  if (!text_decoded_) {
    text_ = raw;
    return Event::Text;
  }
  text_buf_.clear();
  if (!decode(raw, false, text_buf_, text_)) return fail("a text holds an unknown reference");
  return Event::Text;
}

bool XmlScanner::markup(bool& text) {
  auto skip_to = [&](std::string_view end, size_t from) {
    const size_t at = find(end, from);
    if (at == npos) {
      fail("the document is cut short");
      return false;
    }
    pos_ = at + end.size();
    return true;
  };
  auto starts = [&](std::string_view s) { return need(pos_ + s.size()) && view({pos_, s.size()}) == s; };
  text = false;
  if (buf_[pos_ + 1] == '?') return skip_to("?>", pos_ + 2);
  if (starts("<!--")) return skip_to("-->", pos_ + 4);
  if (starts("<![CDATA[")) {
    const size_t from = pos_ + 9;
    const size_t at = find("]]>", from);
    if (at == npos) {
      fail("the document is cut short");
      return false;
    }
    const Span raw{from, at - from};
    pos_ = at + 3;
    text = true;
    text_decoded_ = view(raw).find('\r') != npos;
    if (!text_decoded_) {
      text_ = raw;
      return true;
    }
    // No references in a CDATA section: only its line ends are read as "\n".
    text_buf_.clear();
    text_.at = 0;
    const std::string_view s = view(raw);
    for (size_t i = 0; i < s.size(); ++i) {
      if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') continue;
      text_buf_ += s[i] == '\r' ? '\n' : s[i];
    }
    text_.len = text_buf_.size();
    return true;
  }
  if (starts("<!DOCTYPE")) {
    fail("a document type declaration is not read");
    return false;
  }
  fail("unknown markup");
  return false;
}

std::string_view XmlScanner::ns() const {
  return ns_ >= 0 ? std::string_view(bindings_[static_cast<size_t>(ns_)].uri) : std::string_view();
}

std::string_view XmlScanner::name() const { return view(name_); }

std::string_view XmlScanner::attribute(std::string_view ns, std::string_view name, std::string_view missing) const {
  for (const Attr& a : attrs_) {
    if (a.ns == -2 || view(a.local) != name) continue;
    const std::string_view uri = a.ns >= 0 ? std::string_view(bindings_[static_cast<size_t>(a.ns)].uri) : "";
    if (uri != ns) continue;
    return a.decoded ? std::string_view(values_).substr(a.value.at, a.value.len) : view(a.value);
  }
  return missing;
}

std::string_view XmlScanner::text() const {
  return text_decoded_ ? std::string_view(text_buf_).substr(text_.at, text_.len) : view(text_);
}

bool XmlScanner::skip_element() {
  const int d = depth();
  if (pending_end_) {
    pending_end_ = false;
    pop_ = true;
    return true;
  }
  for (;;) {
    const Event e = next();
    if (e == Event::Error || e == Event::End) return false;
    if (e == Event::EndElement && depth() == d) return true;
  }
}

}  // namespace keld
