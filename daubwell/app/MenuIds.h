#pragma once

// The menu items by the ids the program has always had; new items take free ids.
namespace daubwell::menu {

inline constexpr int kNew = 1000;
inline constexpr int kOpen = 1001;
inline constexpr int kSave = 1002;
inline constexpr int kExportImage = 1004;
inline constexpr int kImportImage = 1005;
inline constexpr int kPageSetup = 1006;
inline constexpr int kPrint = 1007;
inline constexpr int kExit = 1009;
inline constexpr int kToolsWindow = 1100;
inline constexpr int kColorsWindow = 1101;
inline constexpr int kPropertiesWindow = 1102;
inline constexpr int kPaletteWindow = 1103;
inline constexpr int kUndo = 1200;
inline constexpr int kRedo = 1201;
inline constexpr int kHighQuality = 1250;
inline constexpr int kLighting = 1252;
inline constexpr int kImageSize = 1280;
inline constexpr int kExportHeightMap = 1284;
inline constexpr int kExportNormalMap = 1285;
inline constexpr int kAbout = 1400;
inline constexpr int kHelp = 1401;
inline constexpr int kHomePage = 1403;

}  // namespace daubwell::menu
