#pragma once
#include <charconv>
#include <optional>
#include <string>

#include "Services.h"

namespace kelvane {

// Where the user left a tool window, kept between runs in the settings store as
// "<name>.Left" and "<name>.Top" (screen pixels of its frame's top-left corner).
struct TWindowPlace {
  int Left = 0, Top = 0;
  friend bool operator==(const TWindowPlace&, const TWindowPlace&) = default;
};

// Nothing unless both numbers are there and are whole numbers.
inline std::optional<TWindowPlace> LoadWindowPlace(TSettingsStore& store, const std::string& name) {
  auto number = [&](const char* property) -> std::optional<int> {
    const std::optional<std::string> v = store.Read(name + property);
    if (!v || v->empty()) return std::nullopt;
    int n = 0;
    const auto [end, ec] = std::from_chars(v->data(), v->data() + v->size(), n);
    if (ec != std::errc() || end != v->data() + v->size()) return std::nullopt;
    return n;
  };
  const std::optional<int> left = number(".Left"), top = number(".Top");
  if (!left || !top) return std::nullopt;
  return TWindowPlace{*left, *top};
}

inline void SaveWindowPlace(TSettingsStore& store, const std::string& name, TWindowPlace place) {
  store.Write(name + ".Left", std::to_string(place.Left));
  store.Write(name + ".Top", std::to_string(place.Top));
}

}  // namespace kelvane
