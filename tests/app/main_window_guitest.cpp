#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <tuple>
#include <utility>

#include "app/dialogs.h"
#include "game/commands.h"
#include "support/window_fixture.h"

namespace puzzle::testing {
namespace {

class ShellWindowTest : public WindowTest {
 protected:
  // Qt's own texts follow the interface's language, not the system's: a
  // message box's standard buttons Yes, No, Cancel and OK.
  static std::vector<std::string> StandardButtonTexts() {
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel | QMessageBox::Ok);
    std::vector<std::string> texts;
    for (auto button : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel, QMessageBox::Ok})
      texts.push_back(box.button(button)->text().toStdString());
    return texts;
  }
};

TEST_F(ShellWindowTest, EnglishMenusSmallDialogsHelpAndScrollKeys) {
  Open();
  EXPECT_FALSE(app.options.russianUi);
  EXPECT_EQ(window->windowTitle().toStdString(), "Puzzle - QUORVANE");
  EXPECT_EQ(
      MenuText(window->menuBar()->actions()),
      "&File[Load New Image|Open...|Save|Save As...|Recent games[]|-|Exit]|&Change[Number of pieces|Options]|"
      "&Help[Help|Help On-Line|-|About...]|Game[Start|Prompt|Check]|"
      "&View[Zoom in|Zoom out|Actual size (100 %)|Whole table]|&Undo*|&Redo*");
  EXPECT_EQ(StandardButtonTexts(), (std::vector<std::string>{"&Yes", "&No", "Cancel", "OK"}));

  // Entries in a fresh Number-of-pieces box: below two is refused, fifteen
  // waits for the next Start; Esc and the close box act as Cancel and drop
  // the waiting number. Each closed box deletes itself.
  const struct {
    const char* entry;
    Qt::Key key;  // Key_unknown: the close box
    std::uint32_t pending;
  } answers[] = {{"1", Qt::Key_Return, 0},  {"-5", Qt::Key_Return, 0},  {"15", Qt::Key_Return, 15},
                 {"15", Qt::Key_Escape, 0}, {"15", Qt::Key_Return, 15}, {"15", Qt::Key_unknown, 0}};
  for (const auto& a : answers) {
    SCOPED_TRACE(::testing::Message() << a.entry << " " << a.key);
    window->Command(CMD_NUMBER_OF_PIECES);
    auto* edit = window->findChild<QLineEdit*>(NUMBER_EDIT_NAME);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), "12");
    edit->setText(a.entry);
    if (a.key == Qt::Key_unknown) {
      edit->window()->close();
    } else {
      QTest::keyClick(edit, a.key);
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window->findChild<QLineEdit*>(NUMBER_EDIT_NAME), nullptr);
    EXPECT_EQ(std::make_pair(app.options.columns, app.options.pendingColumns),
              std::make_pair(12u, a.pending));
  }
  ASSERT_EQ(platform.shown.size(), 2u);
  EXPECT_EQ(platform.shown[1].text, "Number of puzzles in horizontal edge must be more than one.");

  window->Command(CMD_ABOUT);
  ASSERT_EQ(platform.shown.size(), 3u);
  EXPECT_EQ(platform.shown[2].caption, "About...");
  EXPECT_FALSE(app.shell.glVersion.empty());
  EXPECT_NE(platform.shown[2].text.find("OpenGL version on your computer:  " + app.shell.glVersion),
            std::string::npos);

  window->Command(CMD_HELP_ONLINE);
  ASSERT_EQ(platform.openedPages.size(), 1u);
  EXPECT_TRUE(platform.openedPages[0].ends_with("/tessarine/manual.htm"));
  EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(platform.openedPages[0])));
  window->Command(CMD_HELP);
  auto* link = window->findChild<QPushButton*>(MANUAL_BUTTON_NAME);
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(link->text().toStdString(), platform.openedPages[0]);
  QTest::mouseClick(link, Qt::LeftButton);
  EXPECT_EQ(platform.openedPages, std::vector(2, platform.openedPages[0]));

  // A picture larger than the window scrolls with the keys.
  LoadPicture(WritePicture("large.png", 2000, 1500));
  const TableView& table = app.table;
  ASSERT_GT(table.thumbW, 0);
  QWidget* view = window->view();
  const int top = (table.clientHeight - table.thumbH) / 2, right = (table.thumbW - table.clientWidth) / 2;
  QTest::keyClick(view, Qt::Key_Home);
  EXPECT_EQ(table.scrollY, top);
  QTest::keyClick(view, Qt::Key_Down);
  EXPECT_EQ(std::make_pair(table.scrollX, table.scrollY), std::make_pair(0, top - 1));
  QTest::keyPress(view, Qt::Key_Control);
  QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(table.scrollX, right);
  QTest::keyRelease(view, Qt::Key_Control);
  EXPECT_FALSE(app.input.modifierDown);
  // Without Ctrl, End goes down the picture, not across it.
  QTest::keyClick(view, Qt::Key_End);
  EXPECT_EQ(std::make_pair(table.scrollX, table.scrollY), std::make_pair(right, -top));
  WaitFrames(2);
}

TEST_F(ShellWindowTest, RussianUkrainianAndBelarusianUsersGetRussianEverywhere) {
  EXPECT_TRUE(RussianLocale(QLocale(QLocale::Russian, QLocale::Russia)) &&
              RussianLocale(QLocale(QLocale::Ukrainian)));
  EXPECT_FALSE(RussianLocale(QLocale(QLocale::German)));
  Open(QLocale(QLocale::Belarusian));
  ASSERT_TRUE(app.options.russianUi);
  EXPECT_EQ(MenuText(window->menuBar()->actions()),
            "&Файл[Загрузить новое изображение|Открыть|Сохранить|Сохранить как...|Последние игры[]|-|Выход]|"
            "&Изменить[Число пазлов|Опции]|&Помощь[Помощь|Помощь On-Line|-|О программе...]|"
            "Игра[Начать|Подсказка|Проверка]|&Вид[Крупнее|Мельче|Настоящий размер (100 %)|Весь стол]|"
            "&Отменить*|&Вернуть*");
  EXPECT_EQ(StandardButtonTexts(), (std::vector<std::string>{"&Да", "&Нет", "Отмена", "OK"}));

  window->Command(CMD_NUMBER_OF_PIECES);
  auto* edit = window->findChild<QLineEdit*>(NUMBER_EDIT_NAME);
  ASSERT_NE(edit, nullptr);
  // The box's title, then its buttons.
  std::string texts = edit->window()->windowTitle().toStdString();
  for (auto* button : edit->window()->findChildren<QPushButton*>())
    texts += "|" + button->text().toStdString();
  EXPECT_EQ(texts, "Новая игра|OK|Cansel");
  edit->setText("0");
  QTest::keyClick(edit, Qt::Key_Return);
  ASSERT_EQ(platform.shown.size(), 1u);
  EXPECT_EQ(platform.shown[0].text, "Число пазлов по ширине должно быть больше 1.");

  window->Command(CMD_ABOUT);
  EXPECT_EQ(platform.shown.back().caption, "О программе...");
  window->Command(CMD_HELP_ONLINE);
  ASSERT_EQ(platform.openedPages.size(), 1u);
  EXPECT_TRUE(platform.openedPages[0].ends_with("/tessarine/help.htm"));
}

TEST_F(ShellWindowTest, FirstRunPlacementThenSettingsSurviveARestart) {
  settings.values.clear();
  window = std::make_unique<MainWindow>(app, platform, ShellStorage{settings, {}}, QLocale(QLocale::English));
  EXPECT_TRUE(app.options.firstRun);
  EXPECT_EQ(window->size(), QSize(770, 570));
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));

  window->move(50, 60);
  window->resize(640, 480);
  app.options.pendingColumns = 9;
  app.options.scatterSeconds = 7;
  app.options.showCentres = true;
  EXPECT_TRUE(window->close());
  EXPECT_EQ(std::get<std::int64_t>(settings.values.at("Number")), 9);
  EXPECT_EQ(std::get<std::vector<std::int64_t>>(settings.values.at("Window")),
            (std::vector<std::int64_t>{50, 60, 640, 480}));

  window.reset();
  app = Application{};
  Open();
  const GameOptions& o = app.options;
  EXPECT_EQ(std::make_tuple(o.firstRun, o.columns, o.pendingColumns, o.scatterSeconds, o.showCentres),
            std::make_tuple(false, 9u, 0u, 7, true));
  EXPECT_EQ(window->pos(), QPoint(50, 60));
  EXPECT_EQ(window->size(), QSize(640, 480));
}

}  // namespace
}  // namespace puzzle::testing
