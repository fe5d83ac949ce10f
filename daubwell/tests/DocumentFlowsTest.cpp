#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"
#include "files/DocumentFlows.h"
#include "files/PaintDocument.h"

namespace daubwell {
namespace {

using test::ScriptedDialogs;
using test::ScriptedMessages;
using test::TempDir;

struct Flows : ::testing::Test {
  TempDir dir;
  Document doc;
  ScriptedDialogs dialogs;
  ScriptedMessages messages;

  Flows() {
    newDocument(doc, 5, 4);
    doc.canvas.at(2, 2).red = 7;
    doc.pushUndo();  // a change: the painting is unsaved
  }
};

TEST_F(Flows, CancelledSaveDialogDoesNothing) {
  saveAs(doc, dialogs, messages);
  EXPECT_TRUE(doc.modified);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Flows, SaveWritesTheFileAndMarksThePaintingSaved) {
  dialogs.saves.push_back(dir.file("a.dwp"));
  saveAs(doc, dialogs, messages);
  EXPECT_FALSE(doc.modified);
  EXPECT_TRUE(std::filesystem::exists(dir.file("a.dwp")));
}

TEST_F(Flows, FailedSaveSaysSoAndKeepsThePaintingUnsaved) {
  dialogs.saves.push_back(dir.file("no/such/folder/a.dwp"));
  EXPECT_FALSE(saveAs(doc, dialogs, messages));
  EXPECT_EQ(messages.texts(), std::vector<std::string>{"File Save failed!"});
  EXPECT_EQ(messages.shown[0].caption, "Error");
  EXPECT_TRUE(doc.modified);
  // Asked to save before the painting goes, a failed save keeps it.
  messages.answers = {Answer::Yes};
  dialogs.saves.push_back(dir.file("no/such/folder/b.dwp"));
  EXPECT_FALSE(confirmDiscard(doc, dialogs, messages));
}

TEST_F(Flows, ConfirmDiscardAsksOnlyWhenThereAreUnsavedChanges) {
  messages.answers = {Answer::Cancel, Answer::No, Answer::Yes};
  EXPECT_FALSE(confirmDiscard(doc, dialogs, messages));
  EXPECT_TRUE(confirmDiscard(doc, dialogs, messages));
  EXPECT_TRUE(doc.modified);
  dialogs.saves.push_back(dir.file("b.dwp"));
  EXPECT_TRUE(confirmDiscard(doc, dialogs, messages));
  EXPECT_FALSE(doc.modified);
  ASSERT_EQ(messages.asked.size(), 3u);
  EXPECT_EQ(messages.asked[0].text, "Would you like to save your painting?");
  EXPECT_EQ(messages.asked[0].caption, "Save Changes?");
  EXPECT_TRUE(confirmDiscard(doc, dialogs, messages));  // saved now: no question
  EXPECT_EQ(messages.asked.size(), 3u);
}

TEST_F(Flows, CancelledSaveChangesQuestionStopsOpen) {
  messages.answers = {Answer::Cancel};
  dialogs.opens.push_back(dir.file("x.dwp"));
  EXPECT_FALSE(openDocument(doc, dialogs, messages));
  EXPECT_EQ(dialogs.opens.size(), 1u);  // the open dialog was never shown
}

TEST_F(Flows, FailedOpenShowsItsOwnMessageThenLoadFailed) {
  doc.modified = false;
  dialogs.opens.push_back(dir.file("missing.dwp"));
  EXPECT_FALSE(openDocument(doc, dialogs, messages));
  EXPECT_EQ(messages.texts(),
            (std::vector<std::string>{"The file you selected could not be opened!", "File Load failed!"}));
  EXPECT_EQ(doc.canvas.at(2, 2).red, 7);
}

TEST_F(Flows, OpenLoadsThePaintingResetsHistoryAndCountsAsSaved) {
  struct Observer : DocumentObserver {
    int resized = 0;
    void canvasResized() override { ++resized; }
  } observer;
  Canvas other = test::randomCanvas(9, 8, 4);
  ASSERT_TRUE(writeDocument(other, dir.file("other.dwp")));
  doc.observer = &observer;
  messages.answers = {Answer::No};
  dialogs.opens.push_back(dir.file("other.dwp"));
  ASSERT_TRUE(openDocument(doc, dialogs, messages));
  EXPECT_EQ(doc.canvas.width, 9u);
  EXPECT_EQ(doc.canvas.kind, kDocumentCanvas);
  EXPECT_TRUE(doc.canvas.lightingValid);
  EXPECT_FALSE(doc.modified);
  EXPECT_EQ(doc.history.count(), 0u);
  EXPECT_EQ(observer.resized, 1);
}

}  // namespace
}  // namespace daubwell
