#include "QtServices.h"

#include <QApplication>
#include <QClipboard>
#include <QEventLoop>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QSettings>
#include <QThread>

#include "QtBitmap.h"

namespace kelvane::ui {

void OnInterfaceThread(const std::function<void()>& f) {
  if (QThread::currentThread() == qApp->thread())
    f();
  else
    QMetaObject::invokeMethod(qApp, f, Qt::BlockingQueuedConnection);
}

// ---- messages

void TQtMessages::Box(const std::function<void()>& show) {
  OnInterfaceThread([&] {
    const bool hidden = aside_ && aside_->isVisible();
    if (hidden) aside_->hide();
    show();
    if (hidden) aside_->show();
  });
}

void TQtMessages::Show(const std::string& text, TMessageKind kind) {
  Box([&] {
    const QString t = FromUtf8(text);
    switch (kind) {
      case TMessageKind::Information: QMessageBox::information(parent_, "Kelvane", t); break;
      case TMessageKind::Warning: QMessageBox::warning(parent_, "Kelvane", t); break;
      default: QMessageBox::critical(parent_, "Kelvane", t); break;
    }
  });
}

TAnswer TQtMessages::Ask(const std::string& text, TButtons buttons) {
  TAnswer answer = TAnswer::Cancel;
  Box([&] {
    QMessageBox::StandardButtons b = QMessageBox::Ok;
    if (buttons == TButtons::YesNo) b = QMessageBox::Yes | QMessageBox::No;
    if (buttons == TButtons::YesNoCancel) b = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    switch (QMessageBox::question(parent_, "Kelvane", FromUtf8(text), b)) {
      case QMessageBox::Yes: answer = TAnswer::Yes; break;
      case QMessageBox::No: answer = TAnswer::No; break;
      case QMessageBox::Ok: answer = TAnswer::Ok; break;
      default: answer = TAnswer::Cancel; break;
    }
  });
  return answer;
}

std::optional<std::string> TQtPrompt::Prompt(const std::string& title, const std::string& text,
                                             const std::string& initial) {
  std::optional<std::string> out;
  OnInterfaceThread([&] {
    bool ok = false;
    const QString a = QInputDialog::getText(parent_, FromUtf8(title), FromUtf8(text), QLineEdit::Normal,
                                            FromDocumentText(initial), &ok);
    if (ok) out = ToDocumentText(a);
  });
  return out;
}

// ---- file dialogs

std::optional<std::string> TQtFileDialogs::OpenFile(const std::string& filter, const std::string&) {
  const QString path = QFileDialog::getOpenFileName(parent_, "Open", QString(), QtFilter(filter));
  if (path.isEmpty()) return std::nullopt;
  return ToUtf8(path);
}

std::optional<std::string> TQtFileDialogs::SaveFile(const std::string& filter, const std::string& defaultExt,
                                                     const std::string& suggested) {
  QFileDialog d(parent_, "Save As", FromUtf8(suggested), QtFilter(filter));
  d.setAcceptMode(QFileDialog::AcceptSave);
  d.setOption(QFileDialog::DontConfirmOverwrite, false);
  QString ext = FromUtf8(defaultExt);
  ext.remove("*").remove(".");
  if (!ext.isEmpty()) d.setDefaultSuffix(ext);
  if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return std::nullopt;
  return ToUtf8(d.selectedFiles().front());
}

// ---- clipboard

void TQtClipboard::SetPicture(const TBitmap32& picture) {
  QApplication::clipboard()->setImage(WrapBitmap(picture, false).copy());
}

Result<TBitmap32> TQtClipboard::Picture() {
  const QImage image = QApplication::clipboard()->image();
  if (image.isNull()) return TBitmap32();
  return BitmapFromImage(image);
}

// ---- settings

std::optional<std::string> TQtSettings::Read(const std::string& key) {
  QSettings s;
  const QString k = FromUtf8(key);
  if (!s.contains(k)) return std::nullopt;
  return ToUtf8(s.value(k).toString());
}

void TQtSettings::Write(const std::string& key, const std::string& value) {
  QSettings().setValue(FromUtf8(key), FromUtf8(value));
}

std::optional<std::vector<std::string>> TQtSettings::ReadList(const std::string& key) {
  QSettings s;
  const QString k = FromUtf8(key);
  if (!s.contains(k)) return std::nullopt;
  std::vector<std::string> out;
  for (const QString& v : s.value(k).toStringList()) out.push_back(ToUtf8(v));
  return out;
}

void TQtSettings::WriteList(const std::string& key, const std::vector<std::string>& values) {
  QStringList l;
  for (const std::string& v : values) l << FromUtf8(v);
  QSettings().setValue(FromUtf8(key), l);
}

void TQtBusyCursor::SetBusy(bool busy) {
  if (busy)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}

// ---- progress from the workers

void TProgressProxy::Post(std::function<void(TProgress&)> f) {
  if (QThread::currentThread() == qApp->thread()) {
    f(target_);
    return;
  }
  TProgress* t = &target_;
  QMetaObject::invokeMethod(qApp, [t, f = std::move(f)] { f(*t); }, Qt::QueuedConnection);
}

void TProgressProxy::Begin(const std::string& m, int maximum) {
  Post([m, maximum](TProgress& p) { p.Begin(m, maximum); });
}
void TProgressProxy::Message(const std::string& m) {
  Post([m](TProgress& p) { p.Message(m); });
}
void TProgressProxy::Step() {
  Post([](TProgress& p) { p.Step(); });
}
void TProgressProxy::End() {
  Post([](TProgress& p) { p.End(); });
}
void TProgressProxy::EndLater() {
  Post([](TProgress& p) { p.EndLater(); });
}
void TProgressProxy::OfferCancel(bool offer) {
  Post([offer](TProgress& p) { p.OfferCancel(offer); });
}

// ---- jobs

TQtJobRunner::~TQtJobRunner() {
  for (std::thread& t : threads_)
    if (t.joinable()) t.join();
}

void TQtJobRunner::Start(std::unique_ptr<TJob> job) {
  ++pending_;
  std::shared_ptr<TJob> shared(std::move(job));
  std::lock_guard lock(mutex_);
  threads_.emplace_back([this, shared] {
    shared->Work(progress_);
    const std::thread::id self = std::this_thread::get_id();
    QMetaObject::invokeMethod(
        qApp,
        [this, shared, self] {
          {
            std::lock_guard lock(mutex_);
            finished_.push_back(self);
          }
          shared->Done();
          --pending_;
          Reap();
        },
        Qt::QueuedConnection);
  });
}

void TQtJobRunner::Reap() {
  std::lock_guard lock(mutex_);
  for (auto it = threads_.begin(); it != threads_.end();) {
    if (std::find(finished_.begin(), finished_.end(), it->get_id()) != finished_.end()) {
      finished_.erase(std::find(finished_.begin(), finished_.end(), it->get_id()));
      it->join();
      it = threads_.erase(it);
    } else {
      ++it;
    }
  }
}

void TQtJobRunner::WaitAll() {
  QEventLoop loop;
  while (pending_ > 0) loop.processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
}

}  // namespace kelvane::ui
