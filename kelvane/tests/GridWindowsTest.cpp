// The grid panel and the texture windows offscreen, on a real main window.
#include <QDoubleSpinBox>
#include <QMenu>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include "ScriptedServices.h"
#include "WindowSupport.h"
#include "app/ui/TFollowFoldsForm.h"
#include "app/ui/TGTForm.h"
#include "app/ui/TGetTexCoordsDlg.h"
#include "app/ui/TIncObjParamsForm.h"
#include "app/ui/TKVXEditForm.h"
#include "app/ui/TKVXMatialParamsForm.h"
#include "app/ui/TMainForm.h"
#include "app/ui/TUVTextureEditorForm.h"
#include "raster/PictureFormats.h"

using namespace kelvane;
using namespace kelvane::ui;

class GridWindowsTest : public QObject {
  Q_OBJECT

private:
  QTemporaryDir dir;
  test::ScriptedWorld world;
  std::unique_ptr<TMainForm> frame;

  QString Picture(const QString& name, int w = 90, int h = 60, TColor32 c = 0xFF808080u) {
    const QString path = dir.filePath(name);
    if (!SavePicture(path.toStdString(), TBitmap32(w, h, c)).ok()) return {};
    return path;
  }
  TKVXEditForm* Form() { return frame->ActiveForm(); }
  TKVXEditSession& Doc() { return Form()->Session(); }

private Q_SLOTS:
  void initTestCase() { RegisterKvxPictureFormat(); }

  void init() {
    frame = test::ScriptedFrame(world);
    frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
  }
  void cleanup() { frame.reset(); }

  void theGridPanelWorksInGridModeOnly() {
    TGTForm* panel = frame->GridTools();
    QVERIFY(frame->OpenFile(Picture("room.png")));
    Form()->RunCommand("Anone");
    frame->RefreshCommands();
    QVERIFY(!panel->Button(3)->isEnabled());
    Form()->RunCommand("AGridMode");
    frame->RefreshCommands();
    QVERIFY(panel->isVisible());
    QVERIFY(panel->Button(3)->isEnabled());
    QCOMPARE(panel->Button(0)->toolTip(), QString("Move Points"));
    QCOMPARE(panel->Button(9)->toolTip(), QString("Draw Grid"));
    // The button of the current tool stays pressed; the first brush presses none.
    QTest::mouseClick(panel->Button(3), Qt::LeftButton);
    QCOMPARE(int(Doc().Layer.ToolMode), int(gmScale));
    QVERIFY(panel->Button(3)->isChecked());
    QVERIFY(!panel->Button(0)->isChecked());
    QTest::mouseClick(panel->Button(5), Qt::LeftButton);
    QVERIFY(!panel->Button(5)->isChecked());
    QVERIFY(!panel->Button(3)->isChecked());
    // "Grid Tools" hides and shows it.
    frame->Action("AWinGridTools")->trigger();
    QVERIFY(!panel->isVisible());
    frame->Action("AWinGridTools")->trigger();
    QVERIFY(panel->isVisible());
  }

  void textureParamsWriteTheActiveDocumentOnly() {
    TKVXMatialParamsForm* params = frame->TextureParams();
    QVERIFY(params);
    params->Field(0)->setValue(4);  // no document: nothing to write, nothing breaks
    QVERIFY(frame->OpenFile(Picture("room.png")));
    QCOMPARE(params->Field(0)->value(), 1.0);
    frame->Action("AWinTextureParams")->trigger();
    QVERIFY(params->isVisible());
    params->Field(0)->setValue(2.5);
    QCOMPARE(Doc().CurrentParam()->TileX, 2.5f);
    QCOMPARE(Doc().CurrentParam()->TileY, 1.0f);
    params->Field(6)->setValue(400);  // held to 0..360
    QCOMPARE(Doc().CurrentParam()->Rotate, 360.0f);
    // Another object loads its own values.
    world.prompt.answers.push_back(std::string("Other"));
    Form()->RunCommand("ASaveSelection");
    QCOMPARE(Doc().CurrentIndex(), 1);
    QCOMPARE(params->Field(0)->value(), 1.0);
    Form()->ObjectList()->setCurrentRow(0);
    QCOMPARE(params->Field(0)->value(), 2.5);
  }

  void keepProportionsAndRealSizesSetTheTiling() {
    TKVXMatialParamsForm* params = frame->TextureParams();
    params->KeepProportions()->setChecked(false);
    QVERIFY(frame->OpenFile(Picture("room.png")));  // 90 x 60 under the whole-picture lattice
    Doc().SetTexture(TBitmap32(50, 50, 0xFF4060A0u));
    params->Field(0)->setValue(3);
    QCOMPARE(Doc().CurrentParam()->TileY, 1.0f);
    // A square texture on a 3:2 grid: three repeats across give two down.
    params->KeepProportions()->setChecked(true);
    QVERIFY(!params->Field(1)->isEnabled());
    QVERIFY(std::abs(Doc().CurrentParam()->TileY - 2.0f) < 1e-3f);
    QVERIFY(std::abs(params->Field(1)->value() - 2.0) < 1e-3);
    params->Field(0)->setValue(6);  // Y keeps following X
    QVERIFY(std::abs(Doc().CurrentParam()->TileY - 4.0f) < 1e-3f);
    params->KeepProportions()->setChecked(false);
    QVERIFY(params->Field(1)->isEnabled());
    // A curtain 240 cm wide with a 20 x 40 cm repeat.
    QVERIFY(!params->SetTiling()->isEnabled());
    params->ObjectWidth()->setValue(240);
    params->RepeatWidth()->setValue(20);
    params->RepeatHeight()->setValue(40);
    QVERIFY(params->SetTiling()->isEnabled());
    QTest::mouseClick(params->SetTiling(), Qt::LeftButton);
    QVERIFY(std::abs(Doc().CurrentParam()->TileX - 12.0f) < 1e-3f);
    QVERIFY(std::abs(Doc().CurrentParam()->TileY - 4.0f) < 1e-3f);  // 160 cm tall: four repeats of 40
    QVERIFY(std::abs(params->Field(0)->value() - 12.0) < 1e-3);
  }

  void theFollowFoldsButtonAsksAndBendsTheGrid() {
    QVERIFY(frame->OpenFile(Picture("room.png")));
    Doc().SelectAll();
    Form()->RunCommand("AGridMode");
    frame->RefreshCommands();
    QToolButton* follow = frame->GridTools()->Button(int(std::size(kGridToolButtons)) - 1);
    QCOMPARE(follow->toolTip(), QString("Follow Folds"));
    QVERIFY(follow->isEnabled());
    world.folds.answer = TFoldOptions{5, 4, 10};
    QTest::mouseClick(follow, Qt::LeftButton);
    QCOMPARE(Doc().Layer.Grid->Cols, 5);
    QCOMPARE(Doc().Layer.Grid->Rows, 4);

    // The dialog itself: its answer, and nothing on Cancel.
    TFollowFoldsForm dlg;
    QCOMPARE(dlg.windowTitle(), QString("Follow Folds"));
    QTimer::singleShot(0, &dlg, [&dlg] {
      dlg.findChild<QSpinBox*>("Columns")->setValue(7);
      dlg.findChild<QDoubleSpinBox*>("Strength")->setValue(-25);
      dlg.accept();
    });
    const auto answer = dlg.AskFoldOptions();
    QVERIFY(answer);
    QCOMPARE(answer->Cols, 7);
    QCOMPARE(answer->Rows, TFoldOptions{}.Rows);
    QCOMPARE(answer->Strength, -25.0);
    QTimer::singleShot(0, &dlg, &QDialog::reject);
    QVERIFY(!dlg.AskFoldOptions());
  }

  void genTextureCoordsTakesOnlyNumbersAndFillsAfterCancel() {
    QVERIFY(frame->OpenFile(Picture("room.png")));
    Doc().SelectAll();
    TGetTexCoordsDlg* dlg = Form()->TexCoordsDialog();
    QLineEdit* e = dlg->Edit(0);
    e->clear();
    QTest::keyClicks(e, "a1-2x.5");
    QCOMPARE(e->text(), QString("1-2.5"));
    const TMapGrid before = *Doc().Layer.Grid;
    // Pasted text is no number: OK changes nothing, the fill still runs.
    dlg->Edit(3)->setText("abc");
    QTimer::singleShot(0, dlg, &QDialog::accept);
    Form()->RunCommand("ATexGen");
    QVERIFY(*Doc().Layer.Grid == before);
    QVERIFY(Doc().Doc.Result.Pixel(5, 5) != Doc().Doc.Base.Pixel(5, 5));
    Doc().ClearDraping();
    QTimer::singleShot(0, dlg, &QDialog::reject);
    Form()->RunCommand("ATexGen");
    QVERIFY(Doc().Doc.Result.Pixel(5, 5) != Doc().Doc.Base.Pixel(5, 5));
  }

  void theUVEditorDragsNodesOnTheTexture() {
    QVERIFY(frame->OpenFile(Picture("room.png")));
    Doc().SetTexture(TBitmap32(120, 80, 0xFF4060A0u));
    frame->Action("AToolsUVEditor")->trigger();
    TUVTextureEditorForm* uv = Form()->UVEditor();
    QVERIFY(uv);
    QVERIFY(QTest::qWaitForWindowExposed(uv));
    QCOMPARE(uv->windowTitle(), QString("UV Texture Editor"));
    // Node 5 (row 1, column 1) sits at texture (40, 26.7).
    const TuveditorLayer* layer = Doc().UVEditor();
    const QPoint at(int(std::lround(40 * layer->Zoom + layer->Left)), int(std::lround(80 / 3.0 * layer->Zoom + layer->Top)));
    const QPoint to = at + QPoint(int(std::lround(12 * layer->Zoom)), 0);
    QTest::mousePress(uv->Canvas(), Qt::LeftButton, {}, at);
    QTest::mouseMove(uv->Canvas(), to);
    QTest::mouseRelease(uv->Canvas(), Qt::LeftButton, {}, to);
    QVERIFY(std::abs(Doc().Layer.Grid->Nodes[5].U - (1 / 3.0f + 0.1f)) < 0.02f);
    QVERIFY(Doc().Modified());
    uv->close();
    QVERIFY(!Doc().UVEditor());
  }

  void theObjectListMenuOpensTheUVEditorOnItsRow() {
    QVERIFY(frame->OpenFile(Picture("room.png")));
    world.prompt.answers.push_back(std::string("Other"));
    Form()->RunCommand("ASaveSelection");
    QCOMPARE(Doc().CurrentIndex(), 1);
    QMenu menu;
    Form()->FillListMenu(menu, 0);
    QStringList captions;
    QAction* uv = nullptr;
    for (QAction* a : menu.actions()) {
      if (a->isSeparator()) continue;
      captions << a->text();
      if (a->text() == "UV Editor") uv = a;
    }
    QCOMPARE(captions, QStringList({"New Object", "Merge Selected", "Delete Object", "Copy Color", "Paste Color",
                                    "Copy Texture", "Paste Texture", "UV Editor", "Get Anti-aliased Mask",
                                    "Group By Submaterial"}));
    QVERIFY(uv->isEnabled());
    uv->trigger();
    // The row the menu was opened on became current, and the editor shows its grid.
    QCOMPARE(Doc().CurrentIndex(), 0);
    QVERIFY(Form()->ObjectList()->item(0)->isSelected());
    QVERIFY(!Form()->ObjectList()->item(1)->isSelected());
    QVERIFY(Form()->UVEditor());
    QVERIFY(Form()->UVEditor()->isVisible());
    QVERIFY(Doc().UVEditor());
    QCOMPARE(Doc().UVEditor()->Grid, &Doc().Doc.GetObjectView(0).Grid);
    Form()->UVEditor()->close();
  }

  void theTexBrushModeShowsTheParamsWindow() {
    QVERIFY(frame->OpenFile(Picture("room.png")));
    frame->Action("AToolsIncluded")->trigger();
    QCOMPARE(Doc().Mode(), TWindowMode::Included);
    TIncObjParamsForm* params = Form()->IncludedParams();
    QVERIFY(params->isVisible());
    QVERIFY(!params->Place(0)->isEnabled());
    QVERIFY(Doc().PlaceIncludedPicture(Picture("logo.png", 10, 10, 0xFF0000FFu).toStdString(), 5, 5));
    params->Refresh();
    QVERIFY(params->Place(0)->isEnabled());
    params->Place(0)->setValue(20);
    QCOMPARE(Doc().Doc.Included[0].Left, 20.0f);
    Form()->RunCommand("AGridMode");
    QVERIFY(!params->isVisible());
  }
};

QTEST_MAIN(GridWindowsTest)
#include "GridWindowsTest.moc"
