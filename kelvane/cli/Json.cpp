#include "Json.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace kelvane::cli {
namespace {

class Parser {
public:
  explicit Parser(std::string_view t) : t_(t) {}

  Result<Json> document() {
    auto v = value(0);
    if (!v) return v;
    space();
    if (pos_ != t_.size()) return error("text after the value");
    return v;
  }

private:
  static constexpr int kMaxDepth = 64;

  Failure error(const std::string& what) { return fail("JSON: " + what + " at offset " + std::to_string(pos_)); }
  void space() {
    while (pos_ < t_.size() && std::isspace(static_cast<unsigned char>(t_[pos_]))) ++pos_;
  }
  bool take(char c) {
    space();
    if (pos_ < t_.size() && t_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  bool word(std::string_view w) {
    if (t_.substr(pos_, w.size()) != w) return false;
    pos_ += w.size();
    return true;
  }

  Result<Json> value(int depth) {
    if (depth > kMaxDepth) return error("nesting too deep");
    space();
    if (pos_ >= t_.size()) return error("missing value");
    const char c = t_[pos_];
    if (c == '{') return object(depth);
    if (c == '[') return array(depth);
    if (c == '"') {
      auto s = string();
      if (!s) return fail(s.error());
      Json j;
      j.kind = Json::Kind::String;
      j.str = std::move(s.value());
      return j;
    }
    Json j;
    if (word("true") || word("false")) {
      j.kind = Json::Kind::Bool;
      j.flag = t_[pos_ - 1] == 'e' && t_.substr(pos_ - 4, 4) == "true";
      return j;
    }
    if (word("null")) return j;
    return number();
  }

  Result<Json> number() {
    const std::string rest(t_.substr(pos_, 64));
    char* end = nullptr;
    const double v = std::strtod(rest.c_str(), &end);
    if (end == rest.c_str()) return error("not a value");
    pos_ += size_t(end - rest.c_str());
    Json j;
    j.kind = Json::Kind::Number;
    j.num = v;
    return j;
  }

  Result<std::string> string() {
    ++pos_;  // opening quote
    std::string out;
    while (pos_ < t_.size() && t_[pos_] != '"') {
      if (t_[pos_] == '\\') {
        if (++pos_ >= t_.size()) break;
        const char e = t_[pos_];
        out += e == 'n' ? '\n' : e == 't' ? '\t' : e;
      } else {
        out += t_[pos_];
      }
      ++pos_;
    }
    if (pos_ >= t_.size()) return error("unterminated string");
    ++pos_;
    return out;
  }

  Result<Json> array(int depth) {
    ++pos_;
    Json j;
    j.kind = Json::Kind::Array;
    if (take(']')) return j;
    do {
      auto v = value(depth + 1);
      if (!v) return v;
      j.items.push_back(std::move(v.value()));
    } while (take(','));
    if (!take(']')) return error("expected , or ]");
    return j;
  }

  Result<Json> object(int depth) {
    ++pos_;
    Json j;
    j.kind = Json::Kind::Object;
    if (take('}')) return j;
    do {
      space();
      if (pos_ >= t_.size() || t_[pos_] != '"') return error("expected a key");
      auto key = string();
      if (!key) return fail(key.error());
      if (!take(':')) return error("expected :");
      auto v = value(depth + 1);
      if (!v) return v;
      j.members[key.value()] = std::move(v.value());
    } while (take(','));
    if (!take('}')) return error("expected , or }");
    return j;
  }

  std::string_view t_;
  size_t pos_ = 0;
};

}  // namespace

Result<Json> ParseJson(std::string_view text) { return Parser(text).document(); }

std::string JsonNumber(double v) {
  if (!std::isfinite(v)) return "null";
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.9g", v);
  return buf;
}

std::string JsonString(std::string_view utf8) {
  std::string out = "\"";
  for (unsigned char c : utf8) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += char(c);
    }
  }
  return out + "\"";
}

}  // namespace kelvane::cli
