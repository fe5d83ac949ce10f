#include "TBalansForm.h"

#include <QDialogButtonBox>
#include <QVBoxLayout>

#include "TTrackEdit.h"
#include "app/FilterDialogs.h"

namespace kelvane::ui {

TBalansForm::TBalansForm(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Balans");
  auto* l = new QVBoxLayout(this);
  const char* captions[3] = {"Brightness:", "Contrast:", "Gamma:"};
  for (int i = 0; i < 3; ++i) l->addWidget(bars_[i] = new TTrackEdit(captions[i], -100, 100, 0, this));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  l->addWidget(buttons);
  resize(380, 160);
}

BalanceInputs TBalansForm::Inputs() const {
  BalanceInputs in;
  in.brightness = bars_[0]->Value();
  in.contrast = bars_[1]->Value();
  in.gamma = bars_[2]->Value();
  return in;
}

void TBalansForm::Run(TKVXEditSession& doc) {
  for (TTrackEdit* b : bars_) b->SetValue(0);
  // While the bars move only the part in the view is adjusted; OK adjusts it all.
  TBalancePreview balance(doc.Doc.Result, doc.View.VisibleImageRect());
  QList<QMetaObject::Connection> live;
  for (TTrackEdit* b : bars_)
    live << connect(b, &TTrackEdit::ValueChanged, this, [&] {
      balance.Preview(Inputs());
      doc.ImagesEdited();
    });
  if (exec() == QDialog::Accepted) {
    balance.Ok(doc.Doc.Base, Inputs());
    doc.SetModified(true);
  } else {
    balance.Cancel();
  }
  for (auto& c : live) disconnect(c);
  doc.ImagesEdited();
}

}  // namespace kelvane::ui
