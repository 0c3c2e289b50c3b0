// The modeless Options dialog on Windows: every option but the number of
// pieces and the folders, with the form preview painted by GDI from the
// shared preview shapes and live changes while the table keeps drawing. Like
// the Qt dialog it writes GameOptions (live, and at Apply Now, OK and Cancel)
// and, through ApplyOptionsOnTable, the homes and cell measures of a running
// game and its piece meshes; it reads GameState for the busy condition. The
// rules live in game/options_rules.h; this class only moves values between
// them and the controls.
//
// The main window opens it for the Options command while the game is not
// busy, keeps at most one, and hands it its keys through IsDialogMessage.
// Every record passed in must outlive the object.
#pragma once

#include <windows.h>

#include <array>

#include "game/options_rules.h"
#include "platform/platform.h"

namespace puzzle {

class OptionsWindow {
 public:
  OptionsWindow(GameOptions& options, GameState& state, const TableView& table, Platform& platform,
                std::array<Rgb, 16>& customColours, WithTableGl withTableGl);
  ~OptionsWindow();
  OptionsWindow(const OptionsWindow&) = delete;
  OptionsWindow& operator=(const OptionsWindow&) = delete;

  // Makes and shows the dialog over the owner; false when it cannot be made.
  bool Open(HWND owner);
  // The dialog while it is open, else nothing.
  HWND Window() const { return dialog_; }

 private:
  static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(WORD id, WORD code);
  void ShowControls(const OptionsControls& controls);
  OptionsControls ReadControls() const;
  void SetBulgePosition(int position);
  void OnScatterTextChanged(bool typing);
  void OnColourTextChanged(std::size_t index);
  void ChooseColour(int colour);
  void RestoreDefault();
  void Accept();
  void Reject();
  void Apply();
  void RedrawPreview();
  void Draw(const DRAWITEMSTRUCT& item) const;
  void Close();

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
  // controls write options_ at once for the preview.
  GameOptions appliedOptions_;
  // Where the bulge slider stood when its position was last taken.
  int bulgePosition_ = 0;
  HWND dialog_ = nullptr;
};

}  // namespace puzzle
