// The loading pipeline, Save, Save As and the close query.
#include <filesystem>
#include <map>

#include "../project/SceneImport.h"
#include "../raster/FileIO.h"
#include "../raster/PictureFormats.h"
#include "ProjectFromPicture.h"
#include "TKVXEditSession.h"

namespace kelvane {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

std::string Elapsed(Clock::time_point start) {
  return std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

std::string FileNameOf(const std::string& path) { return fs::path(path).filename().string(); }

bool IsProject(const std::string& path) { return LowerExtension(path) == "kvx"; }

}  // namespace

std::string OpenPictureFilter() {
  // One entry for everything readable, then one per description.
  std::string all, each;
  std::map<std::string, std::string> byDescription;
  for (const PictureFormat& f : PictureFormats::instance().all()) {
    if (!f.read) continue;
    const std::string pattern = "*." + f.extension;
    all += (all.empty() ? "" : ";") + pattern;
    std::string& p = byDescription[f.description];
    p += (p.empty() ? "" : ";") + pattern;
  }
  for (const auto& [description, patterns] : byDescription)
    each += "|" + description + " (" + patterns + ")|" + patterns;
  return "All (" + all + ")|" + all + each;
}

// Reads the picture or the project off the interface thread into a document of its
// own; the session takes it over when the work is done.
class TLoadJob final : public TJob, TSceneQuestions {
public:
  TLoadJob(TKVXEditSession& s, std::string path, Clock::time_point start, TCashMarager* swapper)
      : s_(s), path_(std::move(path)), start_(start), doc_(swapper), groupByMaterials_(s.Options().GroupByMaterials) {}

  void Work(TProgress& progress) override {
    auto message = [&](const char* text) {
      progress.Message(text + Elapsed(start_));
      progress.Step();
    };
    if (IsProject(path_)) {
      if (Status st = doc_.LoadFromFile(path_); !st) error_ = st.error();
      return;
    }
    message("Open file...");
    auto picture = LoadPicture(path_);
    if (!picture) {
      error_ = picture.error();
      return;
    }
    message("File Loaded...");
    NewProjectFromPicture(doc_, picture.value());
    message("KVX Objects Craeted...");
    // A picture rendered from a 3D scene: one object per visible material part.
    if (const std::string kv = SceneFileBeside(path_); !kv.empty())
      if (Status st = ImportScene(doc_, kv, {groupByMaterials_}, *this, &progress); !st) sceneError_ = st.error();
  }

  // The import's questions go to the user (the message service answers from any thread).
  bool Ask(const std::string& text) override {
    TMessages* m = s_.Services().Messages;
    return m && m->Ask(text, TButtons::YesNo) == TAnswer::Yes;
  }

  void Done() override {
    s_.AdoptLoaded(std::move(doc_), path_, error_.empty(), error_);
    // A scene that cannot be imported leaves the picture with its one object.
    if (!sceneError_.empty()) s_.Message(sceneError_);
    s_.FinishLoad(start_);
  }

private:
  TKVXEditSession& s_;
  std::string path_;
  Clock::time_point start_;
  TKVXFile2 doc_;
  bool groupByMaterials_;
  std::string error_, sceneError_;
};

bool TKVXEditSession::Load(const std::string& path) {
  if (!PictureFormats::instance().find(LowerExtension(path))) {
    Message("Unknown File Type Filename");
    return false;
  }
  loading_ = true;
  observer_->ShowSelectionTools();
  const Clock::time_point start = Clock::now();
  if (services_.Cursor) services_.Cursor->SetBusy(true);
  modified_ = false;
  if (services_.Progress) services_.Progress->Begin("Open file..." + Elapsed(start), 7);
  StartJob(std::make_unique<TLoadJob>(*this, path, start, swapper_));
  return true;
}

void TKVXEditSession::AdoptLoaded(TKVXFile2&& doc, const std::string& path, bool ok, const std::string& error) {
  currentMask_ = nullptr;
  currentTexture_ = nullptr;
  Layer.SetGrid(nullptr, 0);
  History.Reset();
  reportedDamage_.clear();
  Doc = std::move(doc);
  if (ok) {
    documentName_ = savePath_ = path;
    return;
  }
  Message(error);
  // Nothing later may find a document without an object; and a Save must not write
  // this empty document over the file that failed to open.
  if (Doc.HighIndex() < 0) {
    Doc.Clear();
    TObjectView v = Doc.GetObjectView(Doc.AddObject());
    v.Param.Name = "KVXObject0";
    v.Mask.SetSize(Doc.Width, Doc.Height);
  }
  documentName_ = "NoName.kvx";
  savePath_.clear();
}

void TKVXEditSession::FinishLoad(Clock::time_point start) {
  TProgress* progress = services_.Progress;
  auto message = [&](const char* text) {
    if (!progress) return;
    progress->Message(text + Elapsed(start));
    progress->Step();
  };
  Layer.SetImageSize(Doc.Width, Doc.Height);
  Layer.FieldOfView = Doc.SceneFieldOfView;
  message("KVX Layer Set Size...");
  message("KVX Layer complited...");
  RefillList(-1);
  message("Loading complit...");
  currentIndex_ = 0;
  loading_ = false;
  View.SetImageSize(Doc.Base.Width(), Doc.Base.Height());
  // A picture larger than the window opens fitted into it.
  if (View.ViewWidth() > 0 && View.ViewHeight() > 0 &&
      (Doc.Base.Width() * View.Scale() > View.ViewWidth() || Doc.Base.Height() * View.Scale() > View.ViewHeight()))
    View.Fit();
  SelectOnlyRow(0);
  if (progress) progress->EndLater();
  if (services_.Cursor) services_.Cursor->SetBusy(false);
  JobFinished();
  SynchroniseView();
  observer_->ImageChanged();
  if (!options_.GroupByMaterials && Doc.HighIndex() >= 1 && Ask("Grouping by submaterials?")) GroupBySubmaterial();
}

void TKVXEditSession::SetNameWithoutPath(const std::string& name) {
  documentName_ = name;
  savePath_.clear();
  observer_->StateChanged();
}

// Writes the project off the interface thread; the window waits, painting, for it. Parts
// of the project that could not be read are written (empty) only when the user agrees.
class TSaveJob final : public TJob {
public:
  TSaveJob(TKVXEditSession& s, std::string path, bool& ok) : s_(s), path_(std::move(path)), ok_(ok) {}
  void Work(TProgress& progress) override {
    TDamagedItems damaged = TDamagedItems::Refuse;
    if (const std::string list = DamageList(s_.Doc.CheckItems()); !list.empty()) {
      TMessages* m = s_.services_.Messages;
      if (!m || m->Ask("These parts of the project could not be read:\n" + list +
                           "Save anyway? They will be saved empty.",
                       TButtons::YesNo) != TAnswer::Yes) {
        cancelled_ = true;
        return;
      }
      damaged = TDamagedItems::SaveEmpty;
    }
    status_ = s_.Doc.SaveToFile(path_, &progress, damaged);
  }
  void Done() override {
    s_.JobFinished();
    if (s_.services_.Cursor) s_.services_.Cursor->SetBusy(false);
    ok_ = !cancelled_ && status_.ok();
    if (cancelled_) return;
    if (!ok_) {
      s_.Message(status_.error());
      return;
    }
    s_.reportedDamage_.clear();
    s_.documentName_ = path_;
    s_.SetModified(false);
    s_.observer_->StateChanged();
  }

private:
  TKVXEditSession& s_;
  std::string path_;
  bool& ok_;
  bool cancelled_ = false;
  Status status_ = Ok{};
};

std::string DamageList(const std::vector<TItemDamage>& damage) {
  std::string list;
  for (const TItemDamage& d : damage) list += "  " + d.Text() + "\n";
  return list;
}

void TKVXEditSession::ReportDamage() {
  std::vector<TItemDamage> fresh;
  for (TItemDamage& d : Doc.DamagedItems())
    if (reportedDamage_.insert(d.Text()).second) fresh.push_back(std::move(d));
  if (fresh.empty()) return;
  Message("Parts of this project could not be read and are shown empty:\n" + DamageList(fresh) +
              "Saving will ask before it writes them empty.",
          TMessageKind::Warning);
}

bool TKVXEditSession::Save() {
  if (Busy()) return false;
  if (savePath_.empty()) return SaveAs();
  // A document is always saved as a project, whatever extension the name has.
  savePath_ = ReplaceExtension(savePath_, ".kvx");
  if (services_.Cursor) services_.Cursor->SetBusy(true);
  bool ok = false;
  StartJob(std::make_unique<TSaveJob>(*this, savePath_, ok));
  if (services_.Jobs) services_.Jobs->WaitAll();
  if (services_.Progress) services_.Progress->EndLater();
  return ok;
}

bool TKVXEditSession::SaveAs() {
  if (Busy() || !services_.Dialogs) return false;
  auto path = services_.Dialogs->SaveFile("Kelvane File (*.kvx)|*.kvx", "*.kvx",
                                          ReplaceExtension(FileNameOf(documentName_), ".kvx"));
  if (!path) return false;
  savePath_ = *path;
  return Save();
}

bool TKVXEditSession::CanClose() {
  // Work under way finishes first: a half-done fill or save is never thrown away.
  if (Busy() && services_.Jobs) services_.Jobs->WaitAll();
  if (Busy()) return false;
  if (!modified_) return true;
  const TAnswer a = services_.Messages
                        ? services_.Messages->Ask("Save chenges to document " + FileNameOf(documentName_) +
                                                      " before closing?",
                                                  TButtons::YesNoCancel)
                        : TAnswer::No;
  if (a == TAnswer::Cancel) return false;
  // A save that fails or is cancelled keeps the window and the work in it.
  if (a == TAnswer::Yes) return Save();
  return true;
}

}  // namespace kelvane
