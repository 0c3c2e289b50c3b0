// The Qt side of the platform: what the file dialogs hand to Qt and what the
// player then sees and can pick.
#include "app/qt_platform.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <functional>

#include "game/file_commands.h"
#include "support/temp_folder.h"

namespace puzzle::testing {
namespace {

// Waits up to five seconds, handling events, until done holds.
bool WaitFor(const std::function<bool()>& done) {
  for (int i = 0; i < 100 && !done(); ++i) QTest::qWait(50);
  return done();
}

// Runs inspect on the file dialog once it is up; inspect may accept it, and
// a dialog still open afterwards is cancelled.
void WhenDialogShows(const std::function<void(QFileDialog&)>& inspect) {
  QTimer::singleShot(0, [inspect] {
    QPointer<QFileDialog> dialog;
    const bool shown = WaitFor([&] {
      dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      return dialog != nullptr;
    });
    ASSERT_TRUE(shown);
    inspect(*dialog);
    if (dialog != nullptr && dialog->isVisible()) dialog->reject();
  });
}

// The file names the dialog lists in its folder.
QStringList Listed(QFileDialog& dialog) {
  auto* view = dialog.findChild<QAbstractItemView*>("listView");
  QStringList names;
  if (view == nullptr || view->model() == nullptr) return names;
  const QModelIndex root = view->rootIndex();
  for (int row = 0; row < view->model()->rowCount(root); ++row)
    names << view->model()->index(row, 0, root).data().toString();
  names.sort();
  return names;
}

TEST(QtFileDialogs, PictureFiltersShowTheirLabelsAndListEveryPattern) {
  TempFolder folder;
  const QStringList all{"a.jpg", "b.jpe", "c.jpeg", "d.png", "e.bmp"}, jpegs{"a.jpg", "b.jpe", "c.jpeg"};
  for (const QString& name : all) std::ofstream(folder.File(name.toStdString())) << "x";
  GameOptions options;
  options.imageDirectory = folder.Path().string();
  const FileDialogRequest request = PictureDialogRequest(options);

  const QStringList handed = QtNameFilters(request);
  ASSERT_EQ(handed.size(), 9);
  EXPECT_EQ(handed[2], "JPG Image Files (*.jpg)(*.jpe)(*.jpeg) (*.jpg *.jpe *.jpeg)");
  EXPECT_EQ(handed[1], "Bitmap Files (*.bmp) (*.bmp)");

  QtPlatform platform;
  QStringList shownLabels;
  std::vector<QStringList> listings;
  WhenDialogShows([&](QFileDialog& dialog) {
    auto* types = dialog.findChild<QComboBox*>("fileTypeCombo");
    ASSERT_NE(types, nullptr);
    for (int i = 0; i < types->count(); ++i) shownLabels << types->itemText(i);
    for (int filter : {0, 2}) {
      dialog.selectNameFilter(handed[filter]);
      WaitFor([&] { return Listed(dialog) == (filter == 0 ? all : jpegs); });
      listings.push_back(Listed(dialog));
    }
    auto* name = dialog.findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    name->setText("b.jpe");
    static_cast<QDialog&>(dialog).accept();
  });
  const auto chosen = platform.ChooseOpenFile(request);
  EXPECT_EQ(chosen, folder.File("b.jpe"));
  QStringList labels;
  for (const FileFilter& filter : request.filters) labels << QString::fromStdString(filter.label);
  EXPECT_EQ(shownLabels, labels);
  EXPECT_EQ(listings, (std::vector<QStringList>{all, jpegs}));
}

TEST(QtFileDialogs, SaveDialogLeavesTheReplaceQuestionToTheGame) {
  TempFolder folder;
  std::ofstream(folder.File("big.png")) << "x";
  FileDialogRequest request;
  request.filters.push_back({"Puzzle Game Files (*.pzz)", {"*.pzz"}});
  request.startDirectory = folder.Path().string();
  request.defaultExtension = "pzz";
  QtPlatform platform;
  bool questionAsked = false;
  WhenDialogShows([&](QFileDialog& dialog) {
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
    dialog.selectFile("big.png");
    // A question of Qt's own would come up in front of the dialog.
    QTimer::singleShot(200, [&] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        questionAsked = true;
        box->done(QMessageBox::Yes);
      }
    });
    static_cast<QDialog&>(dialog).accept();
  });
  EXPECT_EQ(platform.ChooseSaveFile(request), folder.File("big.png"));
  EXPECT_FALSE(questionAsked);
}

}  // namespace
}  // namespace puzzle::testing
