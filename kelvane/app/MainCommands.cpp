#include "MainCommands.h"

#include <array>

#include "DocumentCommands.h"
#include "SessionExport.h"

namespace kelvane {

namespace {

using M = TMainSession;
using K = TCommandKind;

TKVXEditSession* Doc(M& s) { return s.Active(); }

template <void (TKVXEditSession::*F)()>
void OnDoc(M& s) {
  if (TKVXEditSession* d = Doc(s); d && !d->Busy()) (d->*F)();
}

template <int Turns>
void Turn(M& s) {
  if (TKVXEditSession* d = Doc(s)) d->Rotate(Turns);
}

template <bool Horizontal>
void FlipDoc(M& s) {
  if (TKVXEditSession* d = Doc(s)) d->Flip(Horizontal);
}

// A filter's preview dialog, which the document window owns.
template <const char* Id>
void FilterDialog(M& s) {
  if (TKVXEditSession* d = Doc(s); d && !d->Busy()) s.Host().RunWindowCommand(*d, Id);
}
constexpr char kSharpen[] = "ASharpen", kBlur[] = "ABlur", kFindEdge[] = "AFindEdge", kWaterColor[] = "AWaterColor",
               kSobel[] = "ASobel";

template <TArrange How>
void ArrangeAll(M& s) {
  s.Host().Arrange(How);
}

template <TToolWindow W>
void Toggle(M& s) {
  s.Host().ToggleToolWindow(W);
}

template <TToolWindow W>
bool Shown(M& s) {
  return s.Host().ToolWindowVisible(W);
}

template <void (TMainHost::*F)(TKVXEditSession&)>
void HostOnDoc(M& s) {
  if (TKVXEditSession* d = Doc(s); d && !d->Busy()) (s.Host().*F)(*d);
}

bool HasDoc(M& s) { return Doc(s) != nullptr; }
bool Always(M&) { return true; }

const TMainCommand kSeparator{"-", "", "", "", "", K::Separator};

TMainCommand Item(std::string_view id, std::string_view menu, std::string_view caption, std::string_view shortcut,
                  std::string_view hint, void (*run)(M&), bool (*enabled)(M&) = HasDoc) {
  return {id, menu, caption, shortcut, hint, K::Plain, run, {}, nullptr, enabled};
}

TMainCommand Forward(std::string_view id, std::string_view menu, std::string_view caption, std::string_view shortcut,
                     std::string_view hint, std::string_view document) {
  return {id, menu, caption, shortcut, hint, K::Plain, nullptr, document};
}

TMainCommand Check(std::string_view id, std::string_view menu, std::string_view caption, void (*run)(M&),
                   bool (*checked)(M&), std::string_view hint = "", K kind = K::Check) {
  return {id, menu, caption, "", hint, kind, run, {}, checked, Always};
}

const std::array kMain = {
    Item("AFileOpen", "File", "&Open", "Ctrl+O", "Open|Open a file", [](M& s) { s.Open(); }, Always),
    Forward("AFileSave", "File", "&Save", "", "Save|Save current file", "ASave"),
    Forward("AFileSaveAs", "File", "Save &As...", "Ctrl+S", "Save As|Save current file with different name", "ASaveAs"),
    Item("AFileClose", "File", "&Close", "", "Close|Close current file", [](M& s) { s.Host().CloseActiveDocument(); }),
    kSeparator,
    Item("AFilePrint", "File", "&Print...", "Ctrl+P", "", HostOnDoc<&TMainHost::Print>),
    Item("AExportJpeg", "File>Export", "Jpeg...", "", "", HostOnDoc<&TMainHost::ExportJpeg>),
    Item("AExportPng", "File>Export", "PNG...", "", "",
         [](M& s) {
           if (TKVXEditSession* d = Doc(s); d && !d->Busy()) ExportDocumentPng(*d);
         }),
    Item("ABatchDrape", "File", "Batch Drape...", "", "Batch Drape|One picture of the document per texture",
         HostOnDoc<&TMainHost::BatchDrape>),
    kSeparator,
    Item("AScanner", "File", "Import From Scanner/Camera...", "", "", [](M& s) { s.ImportFromScanner(); }, Always),
    Item("AImageSize", "File", "Image Size...", "", "", [](M& s) { s.ImageSize(); }),
    kSeparator,
    Item("AExit", "File", "E&xit", "", "Exit|Exit application", [](M& s) { s.Host().Exit(); }, Always),

    Forward("AEditUndo", "Edit", "&Undo", "Ctrl+Z", "Undo|Reverts the last action", "AUndo"),
    Forward("AEditRedo", "Edit", "Redo", "Ctrl+Shift+Z", "", "AReUndo"),
    kSeparator,
    Item("AEditCut", "Edit", "Cu&t", "Ctrl+X", "Cut|Cuts the selection and puts it on the Clipboard",
         [](M& s) { s.Cut(); }),
    Item("AEditCopy", "Edit", "&Copy", "Ctrl+C", "Copy|Copies the selection and puts it on the Clipboard",
         [](M& s) { s.Copy(); }),
    Item("AEditPaste", "Edit", "&Paste", "Ctrl+V", "Paste|Inserts Clipboard contents", [](M& s) { s.Paste(); }),
    Item("APasteNew", "Edit", "Paste As New Image", "", "", [](M& s) { s.PasteAsNewImage(); }, Always),
    kSeparator,
    Item("ACopyColor", "Edit", "Copy Color", "", "", [](M& s) { s.CopyColor(); }),
    Item("APasteColor", "Edit", "Paste Color", "", "", [](M& s) { s.PasteColor(); },
         [](M& s) { return HasDoc(s) && s.PasteColorEnabled; }),
    Item("ACopyTexture", "Edit", "Copy Texture", "", "", [](M& s) { s.CopyTexture(); }),
    Item("APasteTexture", "Edit", "Paste Texture", "", "", [](M& s) { s.PasteTexture(); },
         [](M& s) { return HasDoc(s) && !s.TextureClipboard.Empty(); }),

    Forward("ASelSelectAll", "Selection", "Select All", "Ctrl+A", "", "ASelectAll"),
    Forward("ASelColorRange", "Selection", "Color Range", "", "", "AselectColorRange"),
    Forward("ASelDeselect", "Selection", "Deselect", "Ctrl+D", "", "ADeSelect"),
    Forward("ASelInvert", "Selection", "Invert Selection", "Ctrl+I", "", "AInvertSelection"),
    kSeparator,
    Forward("ASelNewObject", "Selection", "New Object", "", "", "ASaveSelection"),
    Item("ASelFeather", "Selection", "Feather...", "", "", [](M& s) { s.Feather(); }),

    Forward("AToolsClearDraping", "Tools", "Clear Draping", "", "", "AClearDraping"),
    Item("AToolsReplaceColor", "Tools", "Replace Color", "", "",
         [](M& s) {
           if (TKVXEditSession* d = Doc(s)) s.Host().RunWindowCommand(*d, "ARepColor");
         }),
    Item("AToolsBalance", "Tools", "Balance...", "", "", HostOnDoc<&TMainHost::Balance>),
    Item("ARotate90", "Tools>Rotate", "Rotate 90°", "", "", Turn<1>),
    Item("ARotate180", "Tools>Rotate", "Rotate 180°", "", "", Turn<2>),
    Item("ARotate270", "Tools>Rotate", "Rotate 270°", "", "", Turn<3>),
    Item("ARotateAlpha", "Tools>Rotate", "Rotate Alpha", "", "", [](M& s) { s.RotateAlpha(); }),
    Item("AFlipH", "Tools>Flip", "Flip Horizontal", "", "", FlipDoc<true>),
    Item("AFlipV", "Tools>Flip", "Flip Vertical", "", "", FlipDoc<false>),
    kSeparator,
    Item("ATexLibEditor", "Tools", "Texture Library Editor", "", "", [](M& s) { s.TextureLibraryEditor(); }, Always),
    Item("AToolsTexGen", "Tools", "Gen Texture Coords...", "", "",
         [](M& s) {
           if (TKVXEditSession* d = Doc(s)) s.Host().RunWindowCommand(*d, "ATexGen");
         }),
    Forward("AToolsMapping", "Tools", "Box Maping / Original Maping", "", "Box Maping / Original Maping", "AChengeUV"),
    Item("AToolsUVEditor", "Tools", "UV Editor", "", "",
         [](M& s) {
           if (TKVXEditSession* d = Doc(s)) s.Host().RunWindowCommand(*d, "AUVEditor");
         }),
    Item("AToolsIncluded", "Tools", "Included Objects", "", "Included Objects|Places pictures over the image",
         [](M& s) {
           if (TKVXEditSession* d = Doc(s)) s.Host().RunWindowCommand(*d, "aTexBrush");
         }),

    Check("ALinear", "Texture", "Linear", [](M& s) { s.Options.Nearest = s.Options.Smooth = false; },
          [](M& s) { return !s.Options.Nearest && !s.Options.Smooth; }, "", K::Radio),
    Check("ANearest", "Texture", "Nearest",
          [](M& s) {
            s.Options.Nearest = true;
            s.Options.Smooth = false;
          },
          [](M& s) { return s.Options.Nearest; }, "", K::Radio),
    Check("ASmooth", "Texture", "Smooth",
          [](M& s) {
            s.Options.Nearest = false;
            s.Options.Smooth = true;
          },
          [](M& s) { return s.Options.Smooth && !s.Options.Nearest; }, "", K::Radio),
    kSeparator,
    Check("AProjectiveCells", "Texture", "Projective Cells",
          [](M& s) { s.Options.ProjectiveCells = !s.Options.ProjectiveCells; },
          [](M& s) { return s.Options.ProjectiveCells; }),
    Check("ATextureAlpha", "Texture", "Use Texture Transparency",
          [](M& s) { s.Options.TextureAlpha = !s.Options.TextureAlpha; },
          [](M& s) { return s.Options.TextureAlpha; }),
    kSeparator,
    Check("ASharpenMode", "Texture", "Sharpen mode", [](M& s) { s.Options.SharpenMode = !s.Options.SharpenMode; },
          [](M& s) { return s.Options.SharpenMode; }),
    Check("AAntialiasRender", "Texture", "Antialiasing Render",
          [](M& s) {
            s.Options.AntialiasRender = !s.Options.AntialiasRender;
            s.SaveSettings();
          },
          [](M& s) { return s.Options.AntialiasRender; }),

    Forward("AZoomIn", "Zoom", "Zoom In", "Ctrl+Num+", "", "AZoomIN"),
    Forward("AZoomOutMain", "Zoom", "Zoom Out", "Ctrl+Num-", "", "AZoomOut"),
    Forward("AZoomFitMain", "Zoom", "Fit to window", "Num*", "", "AZoomFit"),

    Item("AFilterSharpen", "Filters", "Sharpen", "", "", FilterDialog<kSharpen>),
    Item("AFilterBlur", "Filters", "Blur", "", "", FilterDialog<kBlur>),
    Item("AFilterFindEdge", "Filters", "Find Edge", "", "", FilterDialog<kFindEdge>),
    kSeparator,
    Item("AFilterNPR", "Filters", "NPR Filter", "", "Non Photo Realistic Filter",
         [](M& s) {
           if (TKVXEditSession* d = Doc(s)) s.Host().RunWindowCommand(*d, "ANPR");
         }),
    Item("AFilterWaterColor", "Filters", "Water Color", "", "", FilterDialog<kWaterColor>),
    Item("AFilterSobel", "Filters", "Sobel", "", "", FilterDialog<kSobel>),

    Item("AOptions", "Options", "Options...", "", "", [](M& s) { s.ShowOptions(); }, Always),

    Item("ACascade", "Window", "&Cascade", "", "&Cascade", ArrangeAll<TArrange::Cascade>, Always),
    Item("ATileH", "Window", "Tile &Horizontally", "", "Tile &Horizontally", ArrangeAll<TArrange::TileHorizontally>, Always),
    Item("ATileV", "Window", "Tile &Vertically", "", "Tile &Vertically", ArrangeAll<TArrange::TileVertically>, Always),
    Item("AMinimizeAll", "Window", "&Minimize All", "", "&Minimize All", ArrangeAll<TArrange::MinimizeAll>, Always),
    Item("AArrangeAll", "Window", "&Arrange All", "", "&Arrange All", ArrangeAll<TArrange::ArrangeAll>, Always),
    kSeparator,
    Check("AWinGridTools", "Window", "Grid Tools", Toggle<TToolWindow::GridTools>, Shown<TToolWindow::GridTools>),
    Check("AWinSelectTools", "Window", "Select Tools", Toggle<TToolWindow::SelectTools>, Shown<TToolWindow::SelectTools>),
    Check("AWinTextureParams", "Window", "Texture Params", Toggle<TToolWindow::TextureParams>,
          Shown<TToolWindow::TextureParams>),
    Check("AWinTextureLibrary", "Window", "Texture Library", Toggle<TToolWindow::TextureLibrary>,
          Shown<TToolWindow::TextureLibrary>, "Texture Library|Texture Library"),

    Item("AAbout", "Help", "&About...", "", "", [](M& s) { s.Host().ShowAbout(); }, Always),

    // Without a menu entry: the toolbar's fill button and the panels' key.
    Item("AHideTool", "", "Hide Tool", "Ctrl+Q", "", [](M& s) { s.Host().ToggleDocumentPanels(); }),
    Forward("AFillButton", "", "Fill", "", "Fill|Fill the selected objects", "AMultiSelect"),
};

constexpr std::array<std::string_view, 19> kToolbar = {
    "AFileOpen", "AFileSave", "-",        "AFilePrint", "-",    "AEditCut",      "AEditCopy",
    "AEditPaste", "-",        "AEditUndo", "AEditRedo", "-",    "ACascade",      "ATileH",
    "ATileV",    "-",         "AWinTextureLibrary", "AToolsMapping", "AFillButton"};

}  // namespace

std::span<const TMainCommand> MainCommands() { return kMain; }

std::span<const std::string_view> ToolbarCommands() { return kToolbar; }

const TMainCommand* FindMainCommand(std::string_view id) {
  for (const TMainCommand& c : kMain)
    if (c.Id == id && c.Kind != K::Separator) return &c;
  return nullptr;
}

bool MainCommandEnabled(TMainSession& s, const TMainCommand& c) {
  if (c.Kind == K::Separator) return false;
  if (!c.Document.empty()) {
    TKVXEditSession* d = Doc(s);
    const TDocumentCommand* dc = FindDocumentCommand(c.Document);
    return d && dc && DocumentCommandEnabled(*d, *dc);
  }
  if (TKVXEditSession* d = Doc(s); d && d->Busy() && c.Enabled != Always) return false;
  return !c.Enabled || c.Enabled(s);
}

bool MainCommandChecked(TMainSession& s, const TMainCommand& c) { return c.Checked && c.Checked(s); }

void RunMainCommand(TMainSession& s, const TMainCommand& c) {
  if (!MainCommandEnabled(s, c)) return;
  if (!c.Document.empty()) {
    if (TKVXEditSession* d = Doc(s)) {
      TBusyScope busy(c.Document == "ASave" || c.Document == "AselectColorRange" ? s.Services().Cursor : nullptr);
      RunDocumentCommand(*d, c.Document);
    }
    return;
  }
  if (c.Run) c.Run(s);
}

bool RunMainCommand(TMainSession& s, std::string_view id) {
  const TMainCommand* c = FindMainCommand(id);
  if (!c) return false;
  RunMainCommand(s, *c);
  return true;
}

}  // namespace kelvane
