#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "../drape/TICNObjectEditorLayer.h"
#include "../drape/TKVXLayer.h"
#include "../drape/TexCoordGen.h"
#include "../drape/TexParams.h"
#include "../drape/TileSize.h"
#include "../drape/TuveditorLayer.h"
#include "../project/TKVXFile2.h"
#include "../select/Selection.h"
#include "../select/SelectionDisplay.h"
#include "../texlib/TTexLibTree.h"
#include "Services.h"
#include "THistory.h"
#include "TKVXOptions.h"
#include "TViewState.h"
#include "TextureTools.h"

namespace kelvane {

class TCashMarager;
struct TFilterKind;
struct TFilterValues;

enum class TWindowMode : uint8_t { Grid = 1, Selection = 2, None = 3, ZoomRegion = 4, Hand = 5, Included = 6 };

enum class TMouseButton { Left, Right, Middle };
// A mouse event in view pixels with the modifier keys held.
struct TMouse {
  double X = 0, Y = 0;
  TMouseButton Button = TMouseButton::Left;  // of a press or a release
  bool LeftHeld = false, RightHeld = false;  // while moving
  bool Shift = false, Ctrl = false, Alt = false;
  bool NoModifiers() const { return !Shift && !Ctrl && !Alt; }
};

// What the window shows changed; it repaints or refills the part named.
class TEditObserver {
public:
  virtual ~TEditObserver() = default;
  virtual void ObjectListChanged() {}     // refill the list from the document
  virtual void ListSelectionChanged() {}  // which rows are selected, the current row
  virtual void CurrentObjectChanged() {}  // colour, checks, texture preview, parameters
  virtual void ViewChanged() {}           // scale or scroll
  virtual void ImageChanged() {}          // base or result image
  virtual void OverlayChanged() {}        // the grid layer, the rubber band, the ants
  virtual void ModeChanged() {}
  virtual void StateChanged() {}          // busy, modified, name: caption and commands
  virtual void ShowSelectionTools() {}    // loading shows the selection tool window
};

// A selection gesture in progress (the selection window mode).
struct TSelectionState {
  TSelectionTool Tool = TSelectionTool::stNone;
  TCombineMode Mode = TCombineMode::cmReplace;
  std::vector<TPoint> Vertices;  // polygon and lasso, image pixels
  bool InProgress = false;
  bool Dragging = false;
  bool BandActive = false;
  TPoint Start, End;             // marquee corners, image pixels
  TPoint Pointer;                // the pointer, image pixels (feedback of open polygons)
  TColor32 ColourUnderPointer = 0;
  TColor32 ColourAtPress = 0;
  float DeltaH = 10, DeltaS = 1, DeltaL = 1;  // the HSL panel
};

// The document window's behaviour without a window: the project, its history, the
// object layer, the current object and its list, the modes, the commands, loading and
// saving. The Qt window shows its state and forwards events; tests drive it directly.
class TKVXEditSession {
public:
  TKVXEditSession(const TServices& services, TKVXOptions& options, TCashMarager* swapper = nullptr);
  ~TKVXEditSession();
  TKVXEditSession(const TKVXEditSession&) = delete;
  TKVXEditSession& operator=(const TKVXEditSession&) = delete;

  void SetObserver(TEditObserver* o) { observer_ = o ? o : &noObserver_; }
  const TServices& Services() const { return services_; }
  TKVXOptions& Options() { return options_; }

  // ---- the document and its state
  TKVXFile2 Doc;
  THistory History;
  TKVXLayer Layer;
  TViewState View;

  TWindowMode Mode() const { return mode_; }
  bool IsLoading() const { return loading_; }
  // A fill, load or save runs in the background: commands that touch the document wait.
  bool Busy() const { return busy_ > 0; }
  int CurrentIndex() const { return currentIndex_; }
  TByteMap* CurrentMask() const { return currentMask_; }
  TBitmap32* CurrentTexture() const { return currentTexture_; }
  const TBitmap32& TexturePreview() const { return texturePreview_; }
  TColor32 CurrentColor() const { return currentColor_; }
  // The current object's parameter block, or none.
  TKVXParamBlock* CurrentParam();
  const TByteMap& UnionMask() const { return unionMask_; }

  bool Modified() const { return modified_; }
  void SetModified(bool m);
  const std::string& DocumentName() const { return documentName_; }
  const std::string& SavePath() const { return savePath_; }

  // The texture the library window last pointed at, for a drop or a double click.
  TLibraryTextureRef LibraryRef;

  // ---- the side panel's controls
  bool Glare();
  bool HiContrast();
  bool LevelUp();
  int Transparency();
  void SetGlare(bool on);
  void SetHiContrast(bool on);
  void SetLevelUp(bool on);
  void SetTransparency(int t);  // 0..255
  bool Overlapping = false;     // "&Overlaping"
  int Tolerance = 30;           // "Tolerance:", 1..100
  int Feather = 0;              // "Feather:", 0..100

  // ---- the object list: one row per object
  int RowCount() const { return int(rowSelected_.size()); }
  bool RowSelected(int row) const;
  int SelectedCount() const;
  std::vector<int> SelectedRows() const;
  int ItemIndex() const { return itemIndex_; }
  // The user's selection in the list: the selected rows and the focused row.
  void SetListSelection(const std::vector<int>& rows, int itemIndex);
  // The caption of a row, and an edited caption (up to 100 characters).
  std::string RowCaption(int row);
  void RenameRow(int row, const std::string& caption);

  // ---- commands of the document window (see DocumentCommands.h for the table)
  void SetMode(TWindowMode mode);
  void MakeCurrent();  // the object at the current index
  void SetCurrentColor(TColor32 c);
  // Writes a colour into every selected object (the colour picker with several rows).
  void SetColorOfSelected(TColor32 c);
  void NewObject();
  void DeleteObject();
  void MergeSelected();
  void GroupBySubmaterial();
  void Fill();             // AFillColor
  void FillSelection();    // AMultiSelect
  void MultiObjectFill();  // AMultuCurrentFill
  void ClearDrape();
  void ApplyFill();
  void ClearDraping();
  void LoadTexture();
  void SetTexture(const TBitmap32& picture);  // as Load... with a picture in hand
  void ClearTexture();
  void ApplyLibraryTexture();  // ASetTexureFromLib
  void ChangeMapping();        // AChengeUV
  void GetAntialiasedMask();
  void LoadGrid();
  void SaveGrid();
  // A button of the grid tool window (grid mode only).
  void GridToolButton(const TGridToolButton& button);
  // "Follow Folds" (grid mode): the current grid becomes a lattice over the current mask
  // that bends the texture with the photo's folds; undone like any grid change.
  void FollowFolds(const TFoldOptions& options);
  // "Keep Proportions" and real sizes: TileX and TileY of the current object from the
  // rule, for its texture on its grid. False, changing nothing, when they cannot be had.
  bool ApplyTileRule(const TTileRule& rule);
  void Undo() { StepHistory(false); }
  void Redo() { StepHistory(true); }
  void InvertSelection();
  void Deselect();
  void SelectAll();
  void FeatherSelection(double radius);
  void SetHideSelection(bool hide);
  bool HideSelection() const { return hideSelection_; }
  void ChooseSelectionTool(TSelectionTool tool);
  void SetEyedropper(bool on);
  bool Eyedropper() const { return eyedropper_; }
  void ZoomIn();
  void ZoomOut();
  void ZoomFit();
  void SetZoom(double scale);
  void BlurEdge();
  // The images were changed from outside (a dialog's preview): the window repaints.
  void ImagesEdited() { observer_->ImageChanged(); }
  // A filter on the result image within the current mask.
  void ApplyFilter(const std::function<void(TBitmap32&, const TByteMap*)>& filter);

  // ---- the UV texture editor over the current object's grid and texture
  // Opens it (again) on the current object; false without one.
  bool OpenUVEditor();
  void CloseUVEditor();
  TuveditorLayer* UVEditor() { return uv_.get(); }
  // Positions in texture pixels; every gesture that changes the grid is undoable.
  void UVMouseDown(double tx, double ty, const TGridMouse& mouse);
  void UVMouseMove(double tx, double ty);
  void UVMouseUp();
  void UVButton(const TUVButton& button);

  // ---- the "Texture Params" window: the current object's placement fields
  TTexParamValues TexParams();
  // A control changed: it and its partner are written; false without a current object.
  bool SetTexParam(const TTexParamValues& controls, size_t changed);

  // ---- "Gen Texture Coords": the dialog's texts (nothing after Cancel); the fill runs
  // in either case. Returns whether the grid got new coordinates.
  bool GenTextureCoords(const std::optional<TTexGenTexts>& texts);

  // ---- included objects (the "Tex Brush" mode)
  TICNObjectEditorLayer Included;
  // A picture placed at an image point (a drop); false, saying why, when unreadable.
  bool PlaceIncludedPicture(const std::string& path, double bitmapX, double bitmapY);
  // A texture dropped at an image point: the entry under the point takes it as its
  // picture; elsewhere it is placed there as a new entry.
  bool DropIncludedPicture(const std::string& path, double bitmapX, double bitmapY);
  // "Load Image...": the selected entry's picture, or a new entry at the view's centre.
  void LoadIncludedImage();
  void LoadIncludedAlpha();
  void ClearIncludedAlpha();
  void DeleteIncluded();
  bool SetIncludedParams(const TIncObjParams& params);
  // Draws the entries into the layer's bitmap when they changed; says why one failed.
  void RedrawIncluded();
  // A filter of the dialogs' table on the result image within the current mask; long
  // ones on large pictures run in the background and change the image when done.
  void RunFilter(const TFilterKind& kind, const TFilterValues& values);
  // The mask editor's OK: the edited mask replaces the current one (not recorded).
  void SetMaskFromEditor(const TByteMap& edited);
  // The HSL panel moved: an HSL selection follows at once.
  void SetHSLTolerances(float deltaH, float deltaS, float deltaL);
  // The program's cursor for the mode, tool and combine mode: 30..45, or 0 (the arrow).
  int CursorNumber() const;

  // ---- the whole-image commands of the main window
  void Rotate(int quarterTurns);  // 1, 2 or 3 clockwise
  void Flip(bool horizontal);
  void RotateByAngle(double degrees);
  void ImageSize(int width, int height, TStretchFilter filter);
  // The mask as a grey picture (Copy, Cut); Paste takes a picture's red channel.
  TBitmap32 MaskPicture() const;
  void ClearMask();
  void PasteMask(const TBitmap32& picture);

  // ---- loading and saving
  // The loading pipeline on a picture or a project. False when the extension is unknown.
  bool Load(const std::string& path);
  // For a document from the clipboard: named, with no save path.
  void SetNameWithoutPath(const std::string& name);
  // Save (Save As without a save path); true when the project was written.
  bool Save();
  bool SaveAs();
  // The close query: true when the window may close.
  bool CanClose();

  // ---- the view and the mouse
  void SetViewSize(int width, int height);
  void ScrollBy(double dx, double dy);
  void Wheel(int steps, double x, double y);  // steps > 0: turned away from the user
  void MouseDown(const TMouse& m);
  void MouseMove(const TMouse& m);
  void MouseUp(const TMouse& m);
  void DoubleClick(const TMouse& m);
  void KeyDown(bool shift, bool alt, bool deleteKey);
  void KeyUp();
  // Picks the object under a click (not in grid or included-objects mode).
  void PickAt(double bitmapX, double bitmapY, bool shift, bool ctrl);
  const TSelectionState& Selection() const { return sel_; }
  // The marquee the rectangle and ellipse tools cover, in image pixels.
  TRect MarqueeRect() const;
  // The zoom-region rectangle in view pixels while it is dragged, else empty.
  TRect ZoomRectangle() const { return zoomDragging_ ? zoomRect_ : TRect{}; }

  // ---- the selection display: the ants layer over the view
  const TBitmap32& SelectionLayer() const { return selectionLayer_; }
  bool SelectionLayerVisible() const { return selectionLayerVisible_; }
  void UpdateSelectionDisplay();
  // When set, a moved view hides the ants and leaves SelectionDisplayDue() set: the
  // window recomputes them a moment later (zooming and scrolling stay quick).
  bool DeferSelectionDisplay = false;
  bool SelectionDisplayDue() const { return displayDue_; }
  // The main window's 300 ms tick.
  void MarchingAntsTick();

private:
  friend class TFillJob;
  friend class TLoadJob;
  friend class TSaveJob;
  friend class TAAMaskJob;
  friend class TFilterJob;

  TObjectView ObjectView(int index) { return Doc.GetObjectView(index); }
  void RefillList(int selectRow);
  void SelectOnlyRow(int row);
  void OnListSelectionChanged();
  void UpdateUnionMask();
  void PinCurrent();
  void Message(const std::string& text, TMessageKind kind = TMessageKind::Error);
  bool Ask(const std::string& text);
  void StartJob(std::unique_ptr<TJob> job);
  void JobFinished();
  void AfterFill();
  void AdoptLoaded(TKVXFile2&& doc, const std::string& path, bool ok, const std::string& error);
  void FinishLoad(std::chrono::steady_clock::time_point start);
  void SynchroniseView();
  // Around every change of the current grid: the overlay is erased and drawn again.
  void GridEditBegin();
  void GridEditEnd();
  void StepHistory(bool forward);
  // Says once which parts of the project could not be read so far.
  void ReportDamage();
  void CommitSelection();
  TPoint ToBitmap(const TMouse& m) const;
  TColor32 BasePixel(TPoint p) const;
  bool SelectionCommandsEnabled() const { return SelectedCount() < 2; }

  void UVEdited(bool changed);
  void IncludedEdited();
  // An edit of the included objects that changed them, given the history's snapshot
  // of them from before it: recorded, drawn, the document modified.
  void IncludedChanged(const std::vector<uint8_t>& before);

  TServices services_;
  TKVXOptions& options_;
  TCashMarager* swapper_;
  TEditObserver noObserver_;
  TEditObserver* observer_ = &noObserver_;

  TWindowMode mode_ = TWindowMode::None;
  bool loading_ = false;
  int busy_ = 0;
  int currentIndex_ = -1;
  TByteMap* currentMask_ = nullptr;
  TBitmap32* currentTexture_ = nullptr;
  TBitmap32 texturePreview_;
  TByteMap unionMask_;
  TColor32 currentColor_ = 0;
  bool modified_ = false;
  std::string documentName_, savePath_;
  std::set<std::string> reportedDamage_;

  std::vector<bool> rowSelected_;
  int itemIndex_ = -1;
  bool merging_ = false;

  TSelectionState sel_;
  bool hideSelection_ = false;
  bool eyedropper_ = false;

  bool zoomDragging_ = false;
  TRect zoomRect_;
  bool handDragging_ = false;
  TPointD handLast_;

  std::unique_ptr<TuveditorLayer> uv_;

  // The included objects before the rubber band took hold of one; the entry and fields
  // the last "Params" change wrote and the history's serial after it (a slider's run of
  // changes to one field is one step).
  std::vector<uint8_t> includedBefore_;
  uint64_t includedStep_ = 0;
  uint64_t includedSerial_ = 0;

  TByteMap displayMask_;
  TBitmap32 selectionLayer_;
  bool selectionLayerVisible_ = false;
  bool displayDue_ = false;
};

// The key of a name for Group By Submaterial: from the first " - " to the end, or the
// whole name.
std::string SubmaterialKey(const std::string& name);
// "Kelvane files" and every readable picture format, for the open dialog.
std::string OpenPictureFilter();
// The path with its extension replaced.
std::string ReplaceExtension(const std::string& path, const std::string& extension);

// The damaged parts of a project, one line each.
std::string DamageList(const std::vector<TItemDamage>& damage);

// The marching ants' phase is one for the whole program.
TMarchingAnts& ProgramAnts();

}  // namespace kelvane
