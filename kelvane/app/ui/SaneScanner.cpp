#include "SaneScanner.h"

#include <sane/sane.h>

#include <vector>

namespace kelvane::ui {

namespace {

constexpr const char* kNoDevice = "No scanner or camera was found.";

// Scanner access for the length of one acquisition.
struct TSaneSession {
  bool ok = false;
  TSaneSession() {
    SANE_Int version = 0;
    ok = sane_init(&version, nullptr) == SANE_STATUS_GOOD;
  }
  ~TSaneSession() {
    if (ok) sane_exit();
  }
};

struct TSaneDevice {
  SANE_Handle h = nullptr;
  ~TSaneDevice() {
    if (h) sane_close(h);
  }
};

std::string Failure(const char* what, SANE_Status s) { return std::string(what) + ": " + sane_strstatus(s); }

}  // namespace

Result<std::optional<TBitmap32>> TSaneScanner::Acquire() {
  TSaneSession session;
  if (!session.ok) return fail(kNoDevice);
  const SANE_Device** devices = nullptr;
  if (sane_get_devices(&devices, SANE_TRUE) != SANE_STATUS_GOOD || !devices || !devices[0]) return fail(kNoDevice);
  TSaneDevice device;
  if (SANE_Status s = sane_open(devices[0]->name, &device.h); s != SANE_STATUS_GOOD)
    return fail(Failure("The scanner could not be opened", s));
  if (SANE_Status s = sane_start(device.h); s != SANE_STATUS_GOOD) {
    if (s == SANE_STATUS_CANCELLED) return std::optional<TBitmap32>();
    return fail(Failure("The scan did not start", s));
  }
  SANE_Parameters p;
  if (SANE_Status s = sane_get_parameters(device.h, &p); s != SANE_STATUS_GOOD)
    return fail(Failure("The scanner gave no picture size", s));
  const bool colour = p.format == SANE_FRAME_RGB;
  if ((p.format != SANE_FRAME_RGB && p.format != SANE_FRAME_GRAY) || p.depth != 8 || p.pixels_per_line <= 0)
    return fail("The scanner sends pictures in a form this program does not read");
  std::vector<uint8_t> bytes;
  std::vector<SANE_Byte> chunk(1 << 16);
  for (;;) {
    SANE_Int n = 0;
    const SANE_Status s = sane_read(device.h, chunk.data(), SANE_Int(chunk.size()), &n);
    if (s == SANE_STATUS_EOF) break;
    if (s == SANE_STATUS_CANCELLED) return std::optional<TBitmap32>();
    if (s != SANE_STATUS_GOOD) return fail(Failure("The scan failed", s));
    bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + n);
  }
  const int w = p.pixels_per_line, bpp = colour ? 3 : 1;
  const int h = int(bytes.size() / (size_t(w) * bpp));
  if (h <= 0) return std::optional<TBitmap32>();
  TBitmap32 image(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint8_t* px = bytes.data() + (size_t(y) * w + x) * bpp;
      image.SetPixel(x, y, colour ? Color32(px[0], px[1], px[2]) : Color32(px[0], px[0], px[0]));
    }
  return std::optional<TBitmap32>(std::move(image));
}

}  // namespace kelvane::ui
