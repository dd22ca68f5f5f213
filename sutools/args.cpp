#include "sutools/args.hpp"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include <unistd.h>

namespace keld::sutools {

Result<KeyValues> ParseKeyValues(int argc, const char* const* argv, std::initializer_list<std::string_view> known) {
  auto list = ParseKeyValueList(argc, argv, known);
  if (!list) return Result<KeyValues>::failure(list.error());
  KeyValues kv;
  for (auto& [k, v] : list.value()) kv[k] = v;
  return kv;
}

Result<KeyValueList> ParseKeyValueList(int argc, const char* const* argv,
                                       std::initializer_list<std::string_view> known) {
  using R = Result<KeyValueList>;
  KeyValueList kv;
  for (int i = 1; i < argc; ++i) {
    std::string_view a = argv[i];
    size_t eq = a.find('=');
    if (eq == std::string_view::npos || eq == 0)
      return R::failure("bad argument \"" + std::string(a) + "\" (arguments are key=value)");
    std::string key(a.substr(0, eq));
    std::string value(a.substr(eq + 1));
    // Batch lines write numbers with a leading blank ("trmin= 1"), which the
    // shell splits into two words: the next word is the value.
    if (value.empty() && i + 1 < argc && std::string_view(argv[i + 1]).find('=') == std::string_view::npos)
      value = argv[++i];
    bool ok = false;
    for (auto k : known) ok = ok || k == key;
    if (!ok) {
      std::string list;
      for (auto k : known) list += (list.empty() ? "" : ", ") + std::string(k) + "=";
      return R::failure("unknown parameter " + key + "= (known: " + list + ")");
    }
    kv.emplace_back(key, value);
  }
  return kv;
}

Result<double> ParseNumber(std::string_view text) {
  std::string s(text);
  if (s.empty()) return Result<double>::failure("empty number");
  char* end = nullptr;
  errno = 0;
  double v = std::strtod(s.c_str(), &end);
  if (end != s.c_str() + s.size() || errno == ERANGE || !std::isfinite(v) ||
      std::isspace(static_cast<unsigned char>(s[0])))
    return Result<double>::failure("\"" + s + "\" is not a number");
  return v;
}

Result<int64_t> ParseInteger(std::string_view text) {
  std::string s(text);
  if (s.empty()) return Result<int64_t>::failure("empty number");
  char* end = nullptr;
  errno = 0;
  long long v = std::strtoll(s.c_str(), &end, 10);
  if (end != s.c_str() + s.size() || errno == ERANGE || std::isspace(static_cast<unsigned char>(s[0])))
    return Result<int64_t>::failure("\"" + s + "\" is not a whole number");
  return static_cast<int64_t>(v);
}

Result<int64_t> IntegerParam(const KeyValues& kv, const std::string& key, int64_t fallback, int64_t lo, int64_t hi) {
  auto it = kv.find(key);
  if (it == kv.end()) return fallback;
  auto v = ParseInteger(it->second);
  if (!v) return Result<int64_t>::failure(key + "=" + it->second + ": " + v.error());
  if (*v < lo || *v > hi)
    return Result<int64_t>::failure(key + "=" + it->second + ": give a value from " + std::to_string(lo) + " to " +
                                    std::to_string(hi));
  return *v;
}

Result<std::vector<double>> ParseNumberList(std::string_view text) {
  using R = Result<std::vector<double>>;
  std::vector<double> out;
  size_t start = 0;
  while (true) {
    size_t comma = text.find(',', start);
    std::string_view item = text.substr(start, comma == std::string_view::npos ? text.npos : comma - start);
    auto v = ParseNumber(item);
    if (!v) return R::failure(item.empty() ? "empty item in \"" + std::string(text) + "\"" : v.error());
    out.push_back(*v);
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return out;
}

bool WantsSelfDoc(int argc, std::FILE* in) { return argc <= 1 && isatty(fileno(in)); }

}  // namespace keld::sutools
