#include "options/options_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFontMetricsF>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "game/commands.h"
#include "model/texts.h"
#include "options/form_preview.h"
#include "render/application_commands.h"

namespace puzzle {

namespace {

// The dialog is laid out in dialog units of its 8-point font: a unit is a
// quarter of the font's average character width across and an eighth of its
// height down, so that the whole dialog (205 x 350 units) fits a 1024 x 768
// screen whatever the desktop's own font.
constexpr int DIALOG_POINT_SIZE = 8;

class DialogUnits {
 public:
  explicit DialogUnits(const QFont& font) {
    const QFontMetricsF metrics(font);
    const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    across_ = metrics.horizontalAdvance(alphabet) / static_cast<double>(alphabet.size()) / 4.0;
    down_ = metrics.height() / 8.0;
  }
  int X(int units) const { return static_cast<int>(std::lround(units * across_)); }
  int Y(int units) const { return static_cast<int>(std::lround(units * down_)); }
  QSize Size(int across, int down) const { return {X(across), Y(down)}; }

 private:
  double across_ = 1.5;
  double down_ = 1.625;
};

QString Text(const UiText& text, bool russianUi) {
  return QString::fromUtf8(Tr(text, russianUi));
}

}  // namespace

OptionsDialog::OptionsDialog(QWidget* owner, GameOptions& options, GameState& state, const TableView& table,
                             Platform& platform, std::array<Rgb, 16>& customColours, WithTableGl withTableGl)
    : QDialog(owner),
      options_(options),
      state_(state),
      table_(table),
      platform_(platform),
      customColours_(customColours),
      withTableGl_(std::move(withTableGl)),
      colourBytes_(ColourBytesOf(options)),
      savedOptions_(SaveForCancel(options)),
      appliedOptions_(options) {
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  setWindowTitle(Text(texts::OPTIONS_TITLE, options_.russianUi));
  if (owner != nullptr) setWindowIcon(owner->windowIcon());
  QFont dialogFont = font();
  dialogFont.setPointSize(DIALOG_POINT_SIZE);
  setFont(dialogFont);
  BuildControls();
  ShowControls(ControlsFor(options_));
  ConnectLiveChanges();
}

void OptionsDialog::BuildControls() {
  const bool ru = options_.russianUi;
  const DialogUnits units(font());
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(units.X(2), units.Y(2), units.X(2), units.Y(2));
  layout->setSpacing(units.Y(2));
  // The groups hold their controls as tightly as the dialog's resource did.
  const auto tight = [&units](QLayout* groupLayout) {
    groupLayout->setContentsMargins(units.X(3), units.Y(1), units.X(3), units.Y(1));
    groupLayout->setSpacing(units.Y(1));
  };

  auto* formGroup = new QGroupBox(Text(texts::OPTIONS_FORM_GROUP, ru), this);
  auto* formLayout = new QVBoxLayout(formGroup);
  tight(formLayout);
  preview_ = new FormPreview(options_, colourBytes_, formGroup);
  preview_->setObjectName("formPreview");
  preview_->setFixedSize(units.Size(198, 50));
  formLayout->addWidget(preview_, 0, Qt::AlignHCenter);
  auto* formRow = new QHBoxLayout;
  formButtons_ = new QButtonGroup(this);
  const std::array<const UiText*, 4> formTexts{&texts::OPTIONS_FORM_1, &texts::OPTIONS_FORM_2,
                                               &texts::OPTIONS_FORM_3, &texts::OPTIONS_FORM_4};
  for (int k = 0; k < 4; ++k) {
    auto* button = new QRadioButton(Text(*formTexts[static_cast<std::size_t>(k)], ru), formGroup);
    button->setObjectName(QStringLiteral("form%1").arg(k + 1));
    formButtons_->addButton(button, k + 1);
    formRow->addWidget(button);
  }
  formLayout->addLayout(formRow);
  layout->addWidget(formGroup);

  auto addSliderGroup = [&](const UiText& title, int minimum, int maximum, const char* name) {
    auto* group = new QGroupBox(Text(title, ru), this);
    auto* groupLayout = new QVBoxLayout(group);
    tight(groupLayout);
    auto* slider = new QSlider(Qt::Horizontal, group);
    slider->setObjectName(name);
    slider->setRange(minimum, maximum);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(1);
    slider->setPageStep(1);
    groupLayout->addWidget(slider);
    layout->addWidget(group);
    return slider;
  };
  bulgeSlider_ =
      addSliderGroup(texts::OPTIONS_BULGE_GROUP, BulgePositionMin(), BulgePositionMax(), "bulgeSlider");
  speedSlider_ = addSliderGroup(texts::OPTIONS_SPEED_GROUP, 0, SPEED_POSITION_MAX, "speedSlider");

  auto* scatterGroup = new QGroupBox(Text(texts::OPTIONS_SCATTER_GROUP, ru), this);
  auto* scatterLayout = new QHBoxLayout(scatterGroup);
  tight(scatterLayout);
  scatterField_ = new QLineEdit(scatterGroup);
  scatterField_->setObjectName("scatterField");
  scatterField_->setFixedWidth(units.X(60));
  scatterLayout->addWidget(scatterField_);
  scatterLayout->addStretch();
  layout->addWidget(scatterGroup);

  auto makeCheck = [&](const UiText& text, QWidget* parent, const char* name) {
    auto* box = new QCheckBox(Text(text, ru), parent);
    box->setObjectName(name);
    return box;
  };
  auto* displayGroup = new QGroupBox(Text(texts::OPTIONS_DISPLAY_GROUP, ru), this);
  auto* displayLayout = new QHBoxLayout(displayGroup);
  tight(displayLayout);
  edges_ = makeCheck(texts::OPTIONS_EDGES, displayGroup, "showEdges");
  frame_ = makeCheck(texts::OPTIONS_FRAME, displayGroup, "showFrame");
  centres_ = makeCheck(texts::OPTIONS_CENTRES, displayGroup, "showCentres");
  displayLayout->addWidget(edges_);
  displayLayout->addWidget(frame_);
  displayLayout->addWidget(centres_);
  layout->addWidget(displayGroup);

  auto* coloursGroup = new QGroupBox(Text(texts::OPTIONS_COLOURS_GROUP, ru), this);
  auto* coloursLayout = new QVBoxLayout(coloursGroup);
  tight(coloursLayout);
  auto* coloursRow = new QHBoxLayout;
  const std::array<const UiText*, 3> colourTitles{
      &texts::OPTIONS_BACKGROUND_COLOUR, &texts::OPTIONS_FRAME_COLOUR, &texts::OPTIONS_CENTRES_COLOUR};
  const std::array<const UiText*, 3> componentLabels{&texts::OPTIONS_RED, &texts::OPTIONS_GREEN,
                                                     &texts::OPTIONS_BLUE};
  for (int c = 0; c < 3; ++c) {
    const auto cc = static_cast<std::size_t>(c);
    auto* group = new QGroupBox(Text(*colourTitles[cc], ru), coloursGroup);
    auto* grid = new QGridLayout(group);
    tight(grid);
    for (int component = 0; component < 3; ++component) {
      const auto i = cc * 3 + static_cast<std::size_t>(component);
      grid->addWidget(new QLabel(Text(*componentLabels[static_cast<std::size_t>(component)], ru), group),
                      component, 0);
      auto* field = new QLineEdit(group);
      field->setObjectName(QStringLiteral("colourField%1").arg(i));
      field->setFixedWidth(units.X(24));
      colourFields_[i] = field;
      grid->addWidget(field, component, 1);
    }
    auto* swatch = new ColourSwatch(colourBytes_, c, group);
    swatch->setObjectName(QStringLiteral("swatch%1").arg(c));
    swatch->setFixedSize(units.Size(18, 40));
    swatches_[cc] = swatch;
    grid->addWidget(swatch, 0, 2, 3, 1);
    auto* select = new QPushButton(Text(texts::OPTIONS_SELECT, ru), group);
    select->setObjectName(QStringLiteral("select%1").arg(c));
    select->setAutoDefault(false);
    selectButtons_[cc] = select;
    grid->addWidget(select, 3, 0, 1, 3);
    coloursRow->addWidget(group);
  }
  coloursLayout->addLayout(coloursRow);
  branded_ = makeCheck(texts::OPTIONS_BRANDED, coloursGroup, "brandedBackground");
  coloursLayout->addWidget(branded_);
  layout->addWidget(coloursGroup);

  auto* rotationsGroup = new QGroupBox(Text(texts::OPTIONS_ROTATIONS_GROUP, ru), this);
  auto* rotationsLayout = new QHBoxLayout(rotationsGroup);
  tight(rotationsLayout);
  gameRotate_ = makeCheck(texts::OPTIONS_GAME_ROTATE, rotationsGroup, "gameRotate");
  game3D_ = makeCheck(texts::OPTIONS_GAME_3D, rotationsGroup, "game3D");
  rotationsLayout->addWidget(gameRotate_);
  rotationsLayout->addWidget(game3D_);
  rotationsLayout->addStretch();
  layout->addWidget(rotationsGroup);

  auto* buttons = new QGridLayout;
  auto makeButton = [&](const UiText& text, const char* name, int row, int column) {
    auto* button = new QPushButton(Text(text, ru), this);
    button->setObjectName(name);
    button->setAutoDefault(false);
    buttons->addWidget(button, row, column);
    return button;
  };
  auto* ok = makeButton(texts::OPTIONS_OK, "okButton", 0, 0);
  ok->setDefault(true);
  auto* cancel = makeButton(texts::OPTIONS_CANCEL, "cancelButton", 1, 0);
  auto* applyNow = makeButton(texts::OPTIONS_APPLY_NOW, "applyNowButton", 0, 1);
  auto* restore = makeButton(texts::OPTIONS_RESTORE_DEFAULT, "restoreDefaultButton", 1, 1);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(ok, &QPushButton::clicked, this, &OptionsDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &OptionsDialog::reject);
  connect(applyNow, &QPushButton::clicked, this, &OptionsDialog::ApplyNow);
  connect(restore, &QPushButton::clicked, this, &OptionsDialog::RestoreDefault);
}

void OptionsDialog::ShowControls(const OptionsControls& controls) {
  if (QAbstractButton* button = formButtons_->button(controls.formButton)) {
    button->setChecked(true);
  } else {
    // An exclusive group cannot uncheck its last button.
    formButtons_->setExclusive(false);
    for (QAbstractButton* b : formButtons_->buttons()) b->setChecked(false);
    formButtons_->setExclusive(true);
  }
  bulgeSlider_->setValue(controls.bulgePosition);
  speedSlider_->setValue(controls.speedPosition);
  scatterField_->setText(QString::fromStdString(controls.scatterText));
  edges_->setChecked(controls.showEdges);
  frame_->setChecked(controls.showFrame);
  centres_->setChecked(controls.showCentres);
  branded_->setChecked(controls.brandedBackground);
  gameRotate_->setChecked(controls.gameRotate);
  game3D_->setChecked(controls.game3D);
  for (std::size_t i = 0; i < colourFields_.size(); ++i) {
    colourFields_[i]->setText(QString::fromStdString(controls.colourTexts[i]));
  }
}

OptionsControls OptionsDialog::ReadControls() const {
  OptionsControls controls;
  controls.formButton = std::max(0, formButtons_->checkedId());
  controls.bulgePosition = bulgeSlider_->value();
  controls.speedPosition = speedSlider_->value();
  controls.scatterText = scatterField_->text().toStdString();
  controls.showEdges = edges_->isChecked();
  controls.showFrame = frame_->isChecked();
  controls.showCentres = centres_->isChecked();
  controls.brandedBackground = branded_->isChecked();
  controls.gameRotate = gameRotate_->isChecked();
  controls.game3D = game3D_->isChecked();
  for (std::size_t i = 0; i < colourFields_.size(); ++i)
    controls.colourTexts[i] = colourFields_[i]->text().toStdString();
  return controls;
}

void OptionsDialog::ConnectLiveChanges() {
  // Only what the player does is live: setting a control from code raises
  // clicked() for none of these, so Restore default leaves them for Apply.
  connect(formButtons_, &QButtonGroup::idClicked, this, [this](int id) {
    options_.form = static_cast<std::uint8_t>(id);
    RedrawPreview();
  });
  connect(edges_, &QCheckBox::clicked, this, [this](bool checked) {
    options_.showEdges = checked;
    RedrawPreview();
  });
  connect(frame_, &QCheckBox::clicked, this, [this](bool checked) {
    options_.showFrame = checked;
    RedrawPreview();
  });
  connect(branded_, &QCheckBox::clicked, this, [this](bool checked) {
    options_.brandedBackground = checked;
    RedrawPreview();
  });
  connect(bulgeSlider_, &QSlider::valueChanged, this, [this](int position) {
    options_.bulge = PositionToBulge(position);
    RedrawPreview();
  });
  connect(scatterField_, &QLineEdit::textChanged, this,
          [this](const QString& text) { OnScatterTextChanged(text, scatterField_->hasFocus()); });
  connect(scatterField_, &QLineEdit::editingFinished, this,
          [this] { OnScatterTextChanged(scatterField_->text(), false); });
  for (std::size_t i = 0; i < colourFields_.size(); ++i) {
    connect(colourFields_[i], &QLineEdit::textChanged, this,
            [this, i](const QString& text) { OnColourTextChanged(i, text); });
  }
  for (int c = 0; c < 3; ++c) {
    connect(selectButtons_[static_cast<std::size_t>(c)], &QAbstractButton::clicked, this,
            [this, c] { ChooseColour(c); });
  }
}

void OptionsDialog::OnScatterTextChanged(const QString& text, bool typing) {
  const ScatterFieldChange change = OnScatterFieldChanged(text.toStdString(), typing);
  // The replaced text comes back through this same handler and is stored then.
  if (change.replaceText) {
    scatterField_->setText(QString::fromStdString(*change.replaceText));
  } else if (change.store) {
    options_.scatterSeconds = *change.store;
  }
}

void OptionsDialog::OnColourTextChanged(std::size_t index, const QString& text) {
  const ColourFieldChange change = OnColourFieldChanged(index, text.toStdString());
  colourBytes_[index] = change.byte;
  if (change.replaceText) colourFields_[index]->setText(QString::fromStdString(*change.replaceText));
  RedrawPreview();
}

void OptionsDialog::ChooseColour(int colour) {
  if (!ChooseSwatchColour(platform_, colourBytes_, customColours_, colour)) return;
  for (std::size_t component = 0; component < 3; ++component) {
    const std::size_t i = static_cast<std::size_t>(colour) * 3 + component;
    colourFields_[i]->setText(QString::number(colourBytes_[i]));
  }
  RedrawPreview();
}

void OptionsDialog::RestoreDefault() {
  ShowControls(DefaultControls(ReadControls()));
  RestoreDefaultValues(options_, colourBytes_);
  RedrawPreview();
}

void OptionsDialog::accept() {
  if (Busy(state_)) return;
  applyFromCancel_ = false;
  Apply();
  QDialog::accept();
}

void OptionsDialog::reject() {
  if (Busy(state_)) return;
  RestoreSaved(savedOptions_, options_);
  applyFromCancel_ = true;
  Apply();
  QDialog::reject();
}

void OptionsDialog::ApplyNow() {
  if (Busy(state_)) return;
  applyFromCancel_ = false;
  Apply();
}

void OptionsDialog::Apply() {
  if (!applyFromCancel_) {
    OptionsControls controls = ReadControls();
    TakeControls(controls, options_, colourBytes_);
    scatterField_->setText(QString::fromStdString(controls.scatterText));
    RedrawPreview();
  }
  withTableGl_(
      [this](GraphicsPort& port) { ApplyOptionsOnTable(state_, table_, options_, appliedOptions_, port); });
}

void OptionsDialog::RedrawPreview() {
  preview_->update();
  for (ColourSwatch* swatch : swatches_) swatch->update();
}

}  // namespace puzzle
