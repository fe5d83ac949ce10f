#include "DocumentCommands.h"

#include <array>

#include "FilterDialogs.h"

namespace kelvane {

namespace {

using S = TKVXEditSession;
using C = TCategory;

template <TSelectionTool Tool>
void Choose(S& s) {
  s.ChooseSelectionTool(Tool);
}

// Without its dialog (a script) a filter runs with the values it starts with.
template <const char* Id>
void Filter(S& s) {
  if (const TFilterKind* k = FindFilterKind(Id)) s.RunFilter(*k, {});
}
constexpr char kWaterColor[] = "AWaterColor", kSobel[] = "ASobel", kBlur[] = "ABlur", kSharpen[] = "ASharpen",
               kFindEdge[] = "AFindEdge";

const std::array kCommands = {
    TDocumentCommand{"Anone", "", C::None, "", [](S& s) { s.ChooseSelectionTool(TSelectionTool::stNone); }},
    TDocumentCommand{"AGridMode", "", C::Misc, "", [](S& s) { s.SetMode(TWindowMode::Grid); }},
    TDocumentCommand{"AHandTool", "", C::Misc, "", [](S& s) { s.SetMode(TWindowMode::Hand); }},
    TDocumentCommand{"AZoomReg", "", C::Zoom, "", [](S& s) { s.SetMode(TWindowMode::ZoomRegion); }},
    TDocumentCommand{"aTexBrush", "Tex Brush", C::Misc, "", [](S& s) { s.SetMode(TWindowMode::Included); }},
    TDocumentCommand{"aselectRectangle", "Rectangular Marquee Tool", C::Selection, "", Choose<TSelectionTool::stRectangle>},
    TDocumentCommand{"ASelectEllips", "Elliptical Marquee Tool", C::Selection, "", Choose<TSelectionTool::stEllipse>},
    TDocumentCommand{"ASelectPoly", "Poligonal Lasso Tool", C::Selection, "Ctrl+L", Choose<TSelectionTool::stPolygon>},
    TDocumentCommand{"ASelectLaso", "Lasso Tools", C::Selection, "", Choose<TSelectionTool::stLasso>},
    TDocumentCommand{"ASelectMagicWand", "MagicWand Selection", C::Selection, "", Choose<TSelectionTool::stMagicWand>},
    TDocumentCommand{"AselectColorRange", "Color Range Selection", C::Selection, "", Choose<TSelectionTool::stColorRange>},
    TDocumentCommand{"AHSLSelect", "", C::Selection, "", Choose<TSelectionTool::stHSLRange>},
    TDocumentCommand{"Aeyedropper", "Eyedropper", C::None, "", [](S& s) { s.SetEyedropper(!s.Eyedropper()); }},
    TDocumentCommand{"AInvertSelection", "Invert Selection", C::Selection, "", [](S& s) { s.InvertSelection(); }},
    TDocumentCommand{"ADeSelect", "Deselect", C::Selection, "Ctrl+D", [](S& s) { s.Deselect(); }},
    TDocumentCommand{"ASelectAll", "", C::Selection, "", [](S& s) { s.SelectAll(); }},
    TDocumentCommand{"AHideSelection", "Hide Selection", C::Selection, "Ctrl+H",
                     [](S& s) { s.SetHideSelection(!s.HideSelection()); }},
    TDocumentCommand{"AFeatherSelection", "Feather...", C::Selection, "", nullptr},  // the window asks the radius
    TDocumentCommand{"AReDrawSelection", "", C::Selection, "", [](S& s) { s.UpdateSelectionDisplay(); }},
    TDocumentCommand{"AEditMask", "Mask Editor", C::Selection, "", nullptr},  // the window opens the editor
    TDocumentCommand{"AOpenSelection", "", C::Selection, "", [](S& s) { s.MakeCurrent(); }},
    TDocumentCommand{"ASaveSelection", "New Object", C::Selection, "", [](S& s) { s.NewObject(); }},
    TDocumentCommand{"ADelObject", "Delete Object", C::Misc, "", [](S& s) { s.DeleteObject(); }},
    TDocumentCommand{"AMegreSelected", "Merge Selected", C::None, "", [](S& s) { s.MergeSelected(); }},
    TDocumentCommand{"AGroupbySub", "Group By Submaterial", C::Misc, "", [](S& s) { s.GroupBySubmaterial(); }},
    TDocumentCommand{"AFillTVObj", "", C::Misc, "", [](S& s) { s.SetListSelection(s.SelectedRows(), s.ItemIndex()); }},
    TDocumentCommand{"AFillColor", "Fill", C::Filling, "", [](S& s) { s.Fill(); }},
    TDocumentCommand{"AMultiSelect", "", C::Filling, "Ctrl+F", [](S& s) { s.FillSelection(); }},
    TDocumentCommand{"AMultuCurrentFill", "", C::Filling, "", [](S& s) { s.MultiObjectFill(); }},
    TDocumentCommand{"AClearDrape", "", C::Filling, "", [](S& s) { s.ClearDrape(); }},
    TDocumentCommand{"ABlurEdge", "", C::Filling, "Ctrl+B", [](S& s) { s.BlurEdge(); }},
    TDocumentCommand{"AApplyFill", "Apply Fill", C::Misc, "", [](S& s) { s.ApplyFill(); }},
    TDocumentCommand{"AClearDraping", "Clear Draping", C::Misc, "", [](S& s) { s.ClearDraping(); }},
    TDocumentCommand{"ALoadTexture", "Load...", C::Textures, "", [](S& s) { s.LoadTexture(); }},
    TDocumentCommand{"ASetTexureFromLib", "", C::None, "", [](S& s) { s.ApplyLibraryTexture(); }},
    TDocumentCommand{"ALoadGrid", "", C::Textures, "", [](S& s) { s.LoadGrid(); }},
    TDocumentCommand{"ASaveGrid", "", C::Textures, "", [](S& s) { s.SaveGrid(); }},
    TDocumentCommand{"ATexGen", "Gen Texture Coords", C::Textures, "", nullptr},  // the window shows its dialog
    TDocumentCommand{"AChengeUV", "", C::Textures, "", [](S& s) { s.ChangeMapping(); }},
    TDocumentCommand{"AUVEditor", "UV Editor", C::Textures, "", nullptr},  // the window opens the editor
    TDocumentCommand{"AGetAAMask", "Get Anti-aliased Mask", C::Misc, "", [](S& s) { s.GetAntialiasedMask(); }},
    TDocumentCommand{"AColorPicker", "", C::Misc, "", nullptr},  // the window opens the colour picker
    TDocumentCommand{"ANPR", "", C::Filters, "", nullptr},       // the window shows the filter's dialog
    TDocumentCommand{"AWaterColor", "", C::Filters, "", Filter<kWaterColor>},
    TDocumentCommand{"ASobel", "", C::Filters, "", Filter<kSobel>},
    TDocumentCommand{"ABlur", "", C::Filters, "", Filter<kBlur>},
    TDocumentCommand{"ASharpen", "", C::Filters, "", Filter<kSharpen>},
    TDocumentCommand{"AFindEdge", "", C::Filters, "", Filter<kFindEdge>},
    TDocumentCommand{"ARepColor", "", C::Filters, "", nullptr},  // the window shows the filter's dialog
    TDocumentCommand{"AZoomIN", "", C::Zoom, "", [](S& s) { s.ZoomIn(); }},
    TDocumentCommand{"AZoomOut", "", C::Zoom, "", [](S& s) { s.ZoomOut(); }},
    TDocumentCommand{"AZoomFit", "", C::Zoom, "", [](S& s) { s.ZoomFit(); }},
    TDocumentCommand{"AUndo", "Undo", C::Misc, "", [](S& s) { s.Undo(); }},
    TDocumentCommand{"AReUndo", "", C::Misc, "", [](S& s) { s.Redo(); }},
    TDocumentCommand{"ASave", "", C::File, "", [](S& s) { (void)s.Save(); }},
    TDocumentCommand{"ASaveAs", "Save As...", C::File, "", [](S& s) { (void)s.SaveAs(); }},
    TDocumentCommand{"AExportJpeg", "", C::File, "", nullptr},  // the window shows the export dialog
    TDocumentCommand{"aHideTool", "", C::None, "", nullptr},    // the window shows or hides its panels
    TDocumentCommand{"ASetPos", "", C::None, "", [](S& s) { s.SetZoom(s.View.Scale()); }},
};

}  // namespace

std::span<const TDocumentCommand> DocumentCommands() { return kCommands; }

const TDocumentCommand* FindDocumentCommand(std::string_view id) {
  for (const TDocumentCommand& c : kCommands)
    if (c.Id == id) return &c;
  return nullptr;
}

bool DocumentCommandEnabled(TKVXEditSession& s, const TDocumentCommand& c) {
  if (c.Category == TCategory::Selection && s.SelectedCount() >= 2) return false;
  // While a fill, load or save runs, only the view may change.
  if (s.Busy() && c.Category != TCategory::Zoom && c.Id != "ASetPos") return false;
  return true;
}

bool RunDocumentCommand(TKVXEditSession& s, std::string_view id) {
  const TDocumentCommand* c = FindDocumentCommand(id);
  if (!c || !c->Run || !DocumentCommandEnabled(s, *c)) return false;
  if (s.SelectedCount() == 1) s.Doc.EnsureLoaded(s.CurrentIndex());
  if (c->Category == TCategory::Selection || c->Category == TCategory::Filling) s.SetModified(true);
  c->Run(s);
  return true;
}

}  // namespace kelvane
