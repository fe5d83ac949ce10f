#pragma once
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "raster/Result.h"

namespace kelvane::cli {

// A small JSON value: enough for the grid files the command line reads and writes.
struct Json {
  using Array = std::vector<Json>;
  using Object = std::map<std::string, Json>;
  enum class Kind { Null, Bool, Number, String, Array, Object };

  Kind kind = Kind::Null;
  bool flag = false;
  double num = 0;
  std::string str;
  Array items;
  Object members;

  const Array* array() const { return kind == Kind::Array ? &items : nullptr; }
  const Object* object() const { return kind == Kind::Object ? &members : nullptr; }
  const double* number() const { return kind == Kind::Number ? &num : nullptr; }
};

// Parses a whole document; the failure names the offset of the first fault.
Result<Json> ParseJson(std::string_view text);

// A number as JSON: %.9g, or null when it is not finite.
std::string JsonNumber(double v);
// UTF-8 text as a JSON string, quoted and escaped.
std::string JsonString(std::string_view utf8);

}  // namespace kelvane::cli
