// The modeless Options dialog: every option but the number of pieces and the
// folders, with the form preview and live changes while the table keeps
// drawing. It writes GameOptions (live, and at Apply Now, OK and Cancel) and,
// through ApplyOptionsToGame, the homes and cell measures of a running game
// and its piece meshes; it reads GameState for the busy condition. The rules
// live in options_rules.h; this class only moves values between them and the
// controls.
//
// The shell opens it for the Options command, only while no scatter, settle
// or rotation runs, and keeps at most one (a QPointer is enough: the dialog
// deletes itself when it closes):
//
//   auto* dialog = new OptionsDialog(mainWindow, app.options, app.state, app.table, platform,
//                                    app.customColours,
//                                    [view, &port](const TableGlWork& work) {
//                                      view->makeCurrent();
//                                      work(port);
//                                      view->doneCurrent();
//                                    });
//   dialog->show();
//
// Every record passed in must outlive the dialog.
#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "game/options_rules.h"
#include "model/graphics_port.h"
#include "platform/platform.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QSlider;

namespace puzzle {

class FormPreview;
class ColourSwatch;

class OptionsDialog : public QDialog {
  Q_OBJECT
 public:
  // customColours are the colour chooser's 16 custom colours, kept by the
  // caller for the whole run.
  OptionsDialog(QWidget* owner, GameOptions& options, GameState& state, const TableView& table,
                Platform& platform, std::array<Rgb, 16>& customColours, WithTableGl withTableGl);

  // The colour components as the fields and the preview show them.
  const ColourBytes& colourBytes() const { return colourBytes_; }

  // OK: apply and close. Ignored while the game is busy.
  void accept() override;
  // Cancel, the close box and Escape: back to the options at opening, then
  // close. Ignored while the game is busy.
  void reject() override;
  // Apply Now: apply and stay open. Ignored while the game is busy.
  void ApplyNow();
  // Restore default: the defaults into the controls, not yet applied.
  void RestoreDefault();

 private:
  void BuildControls();
  void ShowControls(const OptionsControls& controls);
  OptionsControls ReadControls() const;
  void ConnectLiveChanges();
  void OnScatterTextChanged(const QString& text, bool typing);
  void OnColourTextChanged(std::size_t index, const QString& text);
  void ChooseColour(int colour);
  void Apply();
  void RedrawPreview();

  GameOptions& options_;
  GameState& state_;
  const TableView& table_;
  Platform& platform_;
  std::array<Rgb, 16>& customColours_;
  WithTableGl withTableGl_;

  ColourBytes colourBytes_{};
  SavedOptions savedOptions_;
  // Cancel applies the saved values; the controls are then not read.
  bool applyFromCancel_ = false;
  // The options the table's game was last shaped with: the form and bulge
  // buttons write options_ at once for the preview.
  GameOptions appliedOptions_;

  FormPreview* preview_ = nullptr;
  QButtonGroup* formButtons_ = nullptr;
  QSlider* bulgeSlider_ = nullptr;
  QSlider* speedSlider_ = nullptr;
  QLineEdit* scatterField_ = nullptr;
  QCheckBox* edges_ = nullptr;
  QCheckBox* frame_ = nullptr;
  QCheckBox* centres_ = nullptr;
  QCheckBox* branded_ = nullptr;
  QCheckBox* gameRotate_ = nullptr;
  QCheckBox* game3D_ = nullptr;
  std::array<QLineEdit*, 9> colourFields_{};
  std::array<ColourSwatch*, 3> swatches_{};
  std::array<QAbstractButton*, 3> selectButtons_{};
};

}  // namespace puzzle
