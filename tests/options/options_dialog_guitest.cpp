#include "options/options_dialog.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <utility>

#include "options/form_preview.h"
#include "game/small_game.h"
#include "support/fake_graphics_port.h"
#include "support/scripted_platform.h"
#include "support/window_fixture.h"

namespace puzzle::testing {
namespace {

class OptionsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    surface.setFormat(QSurfaceFormat::defaultFormat());
    surface.create();
    context.setFormat(QSurfaceFormat::defaultFormat());
    ASSERT_TRUE(context.create());
    ASSERT_TRUE(context.makeCurrent(&surface));
  }

  void TearDown() override {
    delete dialog.data();
    context.doneCurrent();
  }

  void Open() {
    dialog = new OptionsDialog(nullptr, options, state, table, platform, customColours,
                               [this](const TableGlWork& work) {
                                 ASSERT_TRUE(context.makeCurrent(&surface));
                                 work(port);
                               });
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.data()));
    // Laid out in the units of its 8-point font, the dialog and its OK row
    // fit a 1024 x 768 screen in either language.
    EXPECT_EQ(dialog->font().pointSize(), 8);
    EXPECT_LE(dialog->frameGeometry().height(), 650);
    EXPECT_LE(dialog->frameGeometry().width(), 1024);
  }

  template <typename T>
  T* Control(const char* name) {
    T* control = dialog->findChild<T*>(name);
    EXPECT_NE(control, nullptr) << name;
    return control;
  }

  void Click(const char* name) { QTest::mouseClick(Control<QAbstractButton>(name), Qt::LeftButton); }

  // Replaces the field's text by typing, as a player selecting it all would.
  void TypeInto(const char* name, const char* text) {
    QLineEdit* field = Control<QLineEdit>(name);
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
  }

  std::string TextOf(const char* name) { return Control<QLineEdit>(name)->text().toStdString(); }
  // The scatter field as shown and as taken.
  std::pair<std::string, int> Scatter() { return {TextOf("scatterField"), options.scatterSeconds}; }

  // Lets a closed dialog delete itself.
  static void SettleDeletion() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

  QOffscreenSurface surface;
  QOpenGLContext context;
  GameOptions options;
  GameState state;
  TableView table;
  ScriptedPlatform platform;
  std::array<Rgb, 16> customColours{};
  FakeGraphicsPort port;
  QPointer<OptionsDialog> dialog;
};

TEST_F(OptionsDialogTest, ControlsAreLiveOrWaitForApplyNowAndOk) {
  options.angleStep = 9;
  Open();
  QSlider* bulge = Control<QSlider>("bulgeSlider");
  EXPECT_EQ(bulge->value(), 33);
  const QImage before = Control<QWidget>("formPreview")->grab().toImage();
  bulge->triggerAction(QAbstractSlider::SliderToMaximum);
  EXPECT_FLOAT_EQ(options.bulge, 0.45f);
  EXPECT_NE(Control<QWidget>("formPreview")->grab().toImage(), before);
  QSlider* speed = Control<QSlider>("speedSlider");
  EXPECT_EQ(speed->value(), 6);
  speed->triggerAction(QAbstractSlider::SliderToMaximum);
  EXPECT_EQ(options.angleStep, 9.0f);

  // The scatter time is live within 1-300 and applied within 10-100.
  TypeInto("scatterField", "250");
  EXPECT_EQ(options.scatterSeconds, 250);
  Click("applyNowButton");
  EXPECT_EQ(Scatter(), std::make_pair(std::string("100"), 100));
  // While the field has the focus an entry stays as typed (250 is still a
  // time, 2500 no longer); leaving it puts it right. The rule's other
  // entries are the options rules' test.
  dialog->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.data()));
  TypeInto("scatterField", "2500");
  EXPECT_EQ(Scatter(), std::make_pair(std::string("2500"), 250));
  Control<QSlider>("bulgeSlider")->setFocus();
  EXPECT_EQ(Scatter(), std::make_pair(std::string("300"), 300));

  // Colours from 256 on show their default; they and the centres wait for
  // Apply Now, the edges are live.
  TypeInto("colourField0", "999");
  EXPECT_EQ(TextOf("colourField0"), "0");
  TypeInto("colourField0", "200");
  EXPECT_EQ(dialog->colourBytes()[0], 200);
  QWidget* swatch = Control<QWidget>("swatch0");
  EXPECT_EQ(swatch->grab().toImage().pixelColor(swatch->width() / 2, swatch->height() / 2),
            QColor(200, 0, 191));
  Click("showEdges");
  EXPECT_FALSE(options.showEdges);
  Click("showCentres");
  EXPECT_EQ(std::make_pair(options.showCentres, options.colors[0]), std::make_pair(false, 0.0f));
  Click("applyNowButton");
  EXPECT_FLOAT_EQ(options.colors[0], 200.0f / 255.0f);
  EXPECT_TRUE(options.showCentres);

  Click("okButton");
  EXPECT_EQ(options.angleStep, 45.0f);
  EXPECT_NEAR(options.angleStepRad, 0.785398f, 1e-6f);
  SettleDeletion();
  EXPECT_TRUE(dialog.isNull());
}

TEST_F(OptionsDialogTest, RussianTextsAndTheColourChooserStartingOnThePresentColours) {
  options.russianUi = true;
  options.form = 9;
  customColours[10] = {1, 2, 3};
  Open();
  EXPECT_EQ(dialog->windowTitle() + "|" + Control<QPushButton>("cancelButton")->text(), "Опции|Отмена");
  // A form outside 1-4 checks no form button.
  for (const char* name : {"form1", "form2", "form3", "form4"})
    EXPECT_FALSE(Control<QRadioButton>(name)->isChecked());
  platform.colourResults.push_back(Rgb{10, 20, 30});
  Click("select1");
  const std::array<Rgb, 11> expected{
      Rgb{0, 0, 191}, Rgb{255, 0, 0}, Rgb{255, 255, 0}, {}, {}, {}, {}, {}, {}, {}, {1, 2, 3}};
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), customColours.begin()));
  EXPECT_EQ(TextOf("colourField3") + "," + TextOf("colourField4") + "," + TextOf("colourField5"), "10,20,30");

  // Cancelled: nothing changes.
  Click("select1");
  EXPECT_EQ(TextOf("colourField3"), "10");
}

// Every dialog field differs from its default, so that Restore default and
// Apply Now change them all and Cancel has all of them to bring back.
TEST_F(OptionsDialogTest, RestoreDefaultAndApplyNowThenCancelChangeNothingAndThenOkTakesTheDefaults) {
  options.form = 4;
  options.bulge = 0.25f;
  options.angleStep = 45;
  options.scatterSeconds = 40;
  options.showEdges = false;
  options.showFrame = !options.showFrame;
  options.showCentres = true;
  options.brandedBackground = false;
  options.gameRotate = false;
  options.game3D = true;
  options.colors.fill(0.5f);
  const GameOptions before = options;

  Open();
  Click("restoreDefaultButton");
  EXPECT_FLOAT_EQ(options.bulge, 0.33f);
  EXPECT_EQ(options.scatterSeconds, 15);
  // Check boxes are not live when set by Restore default.
  EXPECT_FALSE(options.showEdges);
  Click("form1");
  Click("applyNowButton");
  ASSERT_TRUE(options.showEdges);
  Click("cancelButton");
  EXPECT_EQ(DialogFields(options), DialogFields(before));

  SettleDeletion();
  Open();
  Click("restoreDefaultButton");
  Click("okButton");
  GameOptions defaults;
  defaults.form = 4;
  const std::array<float, 9> colours = std::exchange(options.colors, defaults.colors);
  EXPECT_EQ(DialogFields(options), DialogFields(defaults));
  for (std::size_t i = 0; i < 9; ++i) EXPECT_NEAR(colours[i], defaults.colors[i], 0.003f) << i;
}

TEST_F(OptionsDialogTest, OkCancelAndApplyNowWaitWhileTheGameIsBusy) {
  StartSmallGame(state, options);
  state.rotationLeft = 30;
  Open();
  TypeInto("scatterField", "250");
  Click("applyNowButton");
  EXPECT_EQ(TextOf("scatterField"), "250");
  Click("okButton");
  dialog->close();
  EXPECT_EQ(std::make_pair(dialog->isVisible(), port.builds), std::make_pair(true, 0));

  state.rotationLeft = 0;
  dialog->close();
  EXPECT_EQ(std::make_pair(options.scatterSeconds, port.builds), std::make_pair(15, 1));
}

// The preview of each form is compared with a reference image made by this
// program. PUZZLE_WRITE_PREVIEW_REFERENCES=1 writes them anew after a
// deliberate change of the drawing.
TEST(FormPreviewImage, MatchesTheReferenceOfEachForm) {
  const bool write = std::getenv("PUZZLE_WRITE_PREVIEW_REFERENCES") != nullptr;
  const std::array<float, 4> bulges{0.33f, 0.45f, 0.21f, 0.38f};
  for (int form = 1; form <= 4; ++form) {
    const PreviewInputs inputs{.colours = {0, 0, 191, 255, 0, 0, 255, 255, 0},
                               .form = form,
                               .bulge = bulges[static_cast<std::size_t>(form - 1)],
                               .showEdges = form != 2,
                               .showFrame = form != 3};
    const QImage image = RenderFormPreview(QSize(297, 81), inputs);
    const QString path = QStringLiteral(QT_TESTCASE_SOURCEDIR "/options/ref/form_preview_%1.png").arg(form);
    ASSERT_TRUE(!write || image.save(path));
    const QImage reference = QImage(path).convertToFormat(image.format());
    ASSERT_EQ(reference.size(), image.size());
    // A few edge pixels may fall differently with another rasteriser.
    EXPECT_LE(CountDifferent(image, reference), image.width() * image.height() / 200) << "form " << form;
  }
}

}  // namespace
}  // namespace puzzle::testing
