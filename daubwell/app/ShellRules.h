#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// The paint program's shell rules that need no window: how the sliders map to the
// brush, the status bar texts, the print layout and the command line. What each tool
// enables and says is in tools/ToolTable.h.
namespace daubwell {

// Slider positions are 0..100.
int sizeFromSlider(float value);         // at least 1
float strengthFromSlider(float value);   // at least 0.01
float depthFromSlider(float value);
uint8_t shadingFromSlider(float value);
uint8_t channelFromSlider(float value);  // a colour channel
float sliderFromSize(int size);
float sliderFromStrength(float strength);
float sliderFromDepth(float depth);
float sliderFromShading(uint8_t shading);
float sliderFromChannel(uint8_t channel);
// A slider's value for a cursor at x over a slider starting at x0 of the given length.
float sliderValueAt(double x, double x0, double length);

// The styles panel: 9 thumbnails per row; cells past the last image pick the last.
inline constexpr int kStyleColumns = 9;
int styleIndexAt(int row, int column);

// The footprint profile of the Brush Properties window, a polyline in a 54 x 54 box.
struct ProfilePoint {
  int x, y;
};
struct FootprintProfile {
  ProfilePoint points[4];
};
FootprintProfile footprintProfile(int hardness);

// The four parts of the status bar.
std::string fileSizeText(uint32_t width, uint32_t height);
std::string sizeText(uint32_t width, uint32_t height);
std::string zoomText(double zoom);
inline constexpr int kStatusPartEdges[4] = {120, 200, 290, 800};

// Where a painting of w x h lands on a page of pw x ph device pixels: as large as the
// page allows, then 90 % of that, centred.
struct PrintPlacement {
  int x, y, width, height;
  friend bool operator==(const PrintPlacement&, const PrintPlacement&) = default;
};
PrintPlacement printPlacement(int width, int height, int pageWidth, int pageHeight);

// The file named on the command line: its characters with double quotes dropped, up to a
// second double quote; nothing (empty) when the line has three characters or fewer.
std::string commandLinePath(std::string_view line);

// The cap on floating tool windows.
inline constexpr int kMaxFloatingWindows = 10;
inline constexpr const char* kTooManyWindowsText = "Too many floating windows!";
inline constexpr const char* kListSaveFailedText = "List Save failed!";
inline const std::string kListsNotSavedText = "Your brushes, strokes and display settings could not all be saved:";

// The single-instance name and the caption of the main frame.
inline constexpr const char* kInstanceName = "DAREZADAZERID";
inline constexpr const char* kFrameTitle = "Daubwell";
inline constexpr const char* kHandOverFailedText = "Failed send 'OPEN' message to running instance!";

// The single-instance socket: one per user and per session, so that a program started on
// another display or in another login finds only its own. The name carries the user id,
// the display and the login session (characters other than letters and digits become
// '_'); it lies in the user's runtime folder when there is one.
std::string instanceSocketName(unsigned uid, std::string_view runtimeDir, std::string_view display,
                               std::string_view sessionId);

}  // namespace daubwell
