#include "win32/options_dialog.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "game/commands.h"
#include "game/form_preview_shapes.h"
#include "model/texts.h"
#include "render/application_commands.h"
#include "storage/wide_text.h"
#include "win32/dialog_template.h"
#include "win32/icons.h"
#include "win32/win32_platform.h"

namespace puzzle {
namespace {

constexpr WORD PREVIEW_ID = 300;
constexpr WORD FORM_FIRST_ID = 301;  // to 304, one per form
constexpr WORD BULGE_ID = 310;
constexpr WORD SPEED_ID = 311;
constexpr WORD SCATTER_ID = 312;
constexpr WORD EDGES_ID = 313;
constexpr WORD FRAME_ID = 314;
constexpr WORD CENTRES_ID = 315;
constexpr WORD BRANDED_ID = 316;
constexpr WORD GAME_ROTATE_ID = 317;
constexpr WORD GAME_3D_ID = 318;
constexpr WORD COLOUR_FIRST_ID = 320;  // to 328: R, G, B of each colour
constexpr WORD SWATCH_FIRST_ID = 330;  // to 332
constexpr WORD SELECT_FIRST_ID = 333;  // to 335
constexpr WORD APPLY_NOW_ID = 340;
constexpr WORD RESTORE_DEFAULT_ID = 341;
constexpr WORD NO_ID = 0xFFFF;

constexpr DWORD CHECK_BOX = BS_AUTOCHECKBOX | WS_TABSTOP;
constexpr DWORD FIELD = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;

std::wstring Text(const UiText& text, bool russianUi) {
  return ShownText(Tr(text, russianUi));
}

COLORREF ColourRef(const Rgb& rgb) {
  return RGB(rgb[0], rgb[1], rgb[2]);
}

// The controls in dialog units, as tightly as the Qt dialog lays them out.
DialogTemplate OptionsTemplate(bool ru) {
  constexpr short WIDTH = 222;
  constexpr short GROUP_X = 4;
  constexpr short GROUP_WIDTH = WIDTH - 8;
  DialogTemplate dialog(Text(texts::OPTIONS_TITLE, ru), WIDTH, 352);
  const auto group = [&](const UiText& title, short y, short height) {
    dialog.Add(BUTTON_CLASS, BS_GROUPBOX, GROUP_X, y, GROUP_WIDTH, height, NO_ID, Text(title, ru));
  };

  group(texts::OPTIONS_FORM_GROUP, 2, 78);
  dialog.Add(STATIC_CLASS, SS_OWNERDRAW, 12, 12, 198, 50, PREVIEW_ID, L"");
  const std::array<const UiText*, 4> formTexts{&texts::OPTIONS_FORM_1, &texts::OPTIONS_FORM_2,
                                               &texts::OPTIONS_FORM_3, &texts::OPTIONS_FORM_4};
  for (short k = 0; k < 4; ++k) {
    dialog.Add(BUTTON_CLASS, BS_AUTORADIOBUTTON | (k == 0 ? WS_GROUP | WS_TABSTOP : 0),
               static_cast<short>(12 + 52 * k), 65, 46, 10, static_cast<WORD>(FORM_FIRST_ID + k),
               Text(*formTexts[static_cast<std::size_t>(k)], ru));
  }

  group(texts::OPTIONS_BULGE_GROUP, 82, 30);
  dialog.Add(TRACKBAR_CLASSW, WS_GROUP | WS_TABSTOP | TBS_HORZ | TBS_BOTTOM | TBS_AUTOTICKS, 8, 92, 206, 17,
             BULGE_ID);
  group(texts::OPTIONS_SPEED_GROUP, 114, 30);
  dialog.Add(TRACKBAR_CLASSW, WS_TABSTOP | TBS_HORZ | TBS_BOTTOM | TBS_AUTOTICKS, 8, 124, 206, 17, SPEED_ID);
  group(texts::OPTIONS_SCATTER_GROUP, 146, 27);
  dialog.Add(EDIT_CLASS, FIELD, 10, 157, 60, 12, SCATTER_ID, L"");

  group(texts::OPTIONS_DISPLAY_GROUP, 175, 24);
  dialog.Add(BUTTON_CLASS, CHECK_BOX, 10, 186, 68, 10, EDGES_ID, Text(texts::OPTIONS_EDGES, ru));
  dialog.Add(BUTTON_CLASS, CHECK_BOX, 80, 186, 68, 10, FRAME_ID, Text(texts::OPTIONS_FRAME, ru));
  dialog.Add(BUTTON_CLASS, CHECK_BOX, 150, 186, 66, 10, CENTRES_ID, Text(texts::OPTIONS_CENTRES, ru));

  group(texts::OPTIONS_COLOURS_GROUP, 201, 86);
  const std::array<const UiText*, 3> colourTitles{
      &texts::OPTIONS_BACKGROUND_COLOUR, &texts::OPTIONS_FRAME_COLOUR, &texts::OPTIONS_CENTRES_COLOUR};
  const std::array<const UiText*, 3> componentLabels{&texts::OPTIONS_RED, &texts::OPTIONS_GREEN,
                                                     &texts::OPTIONS_BLUE};
  for (short c = 0; c < 3; ++c) {
    const auto x = static_cast<short>(8 + 69 * c);
    constexpr short TOP = 210;
    dialog.Add(BUTTON_CLASS, BS_GROUPBOX, x, TOP, 67, 63, NO_ID,
               Text(*colourTitles[static_cast<std::size_t>(c)], ru));
    for (short component = 0; component < 3; ++component) {
      const auto y = static_cast<short>(TOP + 10 + 12 * component);
      dialog.Add(STATIC_CLASS, SS_LEFT, static_cast<short>(x + 4), static_cast<short>(y + 2), 13, 8, NO_ID,
                 Text(*componentLabels[static_cast<std::size_t>(component)], ru));
      dialog.Add(EDIT_CLASS, FIELD, static_cast<short>(x + 17), y, 24, 11,
                 static_cast<WORD>(COLOUR_FIRST_ID + 3 * c + component), L"");
    }
    dialog.Add(STATIC_CLASS, SS_OWNERDRAW, static_cast<short>(x + 45), TOP + 10, 17, 35,
               static_cast<WORD>(SWATCH_FIRST_ID + c), L"");
    dialog.Add(BUTTON_CLASS, BS_PUSHBUTTON | WS_TABSTOP, static_cast<short>(x + 4), TOP + 48, 59, 12,
               static_cast<WORD>(SELECT_FIRST_ID + c), Text(texts::OPTIONS_SELECT, ru));
  }
  dialog.Add(BUTTON_CLASS, CHECK_BOX, 10, 275, 204, 10, BRANDED_ID, Text(texts::OPTIONS_BRANDED, ru));

  group(texts::OPTIONS_ROTATIONS_GROUP, 289, 24);
  dialog.Add(BUTTON_CLASS, CHECK_BOX, 10, 300, 100, 10, GAME_ROTATE_ID, Text(texts::OPTIONS_GAME_ROTATE, ru));
  dialog.Add(BUTTON_CLASS, CHECK_BOX, 114, 300, 100, 10, GAME_3D_ID, Text(texts::OPTIONS_GAME_3D, ru));

  dialog.Add(BUTTON_CLASS, BS_DEFPUSHBUTTON | WS_TABSTOP, GROUP_X, 317, 105, 14, IDOK,
             Text(texts::OPTIONS_OK, ru));
  dialog.Add(BUTTON_CLASS, BS_PUSHBUTTON | WS_TABSTOP, 113, 317, 105, 14, APPLY_NOW_ID,
             Text(texts::OPTIONS_APPLY_NOW, ru));
  dialog.Add(BUTTON_CLASS, BS_PUSHBUTTON | WS_TABSTOP, GROUP_X, 334, 105, 14, IDCANCEL,
             Text(texts::OPTIONS_CANCEL, ru));
  dialog.Add(BUTTON_CLASS, BS_PUSHBUTTON | WS_TABSTOP, 113, 334, 105, 14, RESTORE_DEFAULT_ID,
             Text(texts::OPTIONS_RESTORE_DEFAULT, ru));
  return dialog;
}

std::string FieldText(HWND dialog, WORD id) {
  const HWND field = GetDlgItem(dialog, id);
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(field)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(field, text.data(), static_cast<int>(text.size()))));
  return Utf8Text(text).value_or(std::string());
}

void SetFieldText(HWND dialog, WORD id, const std::string& text) {
  SetDlgItemTextW(dialog, id, ShownText(text).c_str());
}

bool Checked(HWND dialog, WORD id) {
  return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

void SetChecked(HWND dialog, WORD id, bool checked) {
  CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

int SliderPosition(HWND dialog, WORD id) {
  return static_cast<int>(SendDlgItemMessageW(dialog, id, TBM_GETPOS, 0, 0));
}

void SetUpSlider(HWND dialog, WORD id, int minimum, int maximum) {
  SendDlgItemMessageW(dialog, id, TBM_SETRANGEMIN, FALSE, minimum);
  SendDlgItemMessageW(dialog, id, TBM_SETRANGEMAX, FALSE, maximum);
  SendDlgItemMessageW(dialog, id, TBM_SETTICFREQ, 1, 0);
  SendDlgItemMessageW(dialog, id, TBM_SETPAGESIZE, 0, 1);
  SendDlgItemMessageW(dialog, id, TBM_SETPOS, TRUE, minimum);
}

std::vector<POINT> Points(const std::vector<PreviewPoint>& points) {
  std::vector<POINT> result;
  result.reserve(points.size());
  for (const PreviewPoint& p : points) result.push_back({p.x, p.y});
  return result;
}

// The shapes with 1-pixel pens and odd-even fills. A box spans left..right-1
// as GDI's own outlines do; a fill without an outline would come out a pixel
// short on each far side, so it is given one more.
void PaintShapes(HDC dc, const std::vector<PreviewShape>& shapes) {
  SetPolyFillMode(dc, ALTERNATE);
  SetArcDirection(dc, AD_COUNTERCLOCKWISE);
  for (const PreviewShape& shape : shapes) {
    const HPEN pen = shape.pen ? CreatePen(PS_SOLID, 1, ColourRef(*shape.pen)) : nullptr;
    const HBRUSH brush = shape.brush ? CreateSolidBrush(ColourRef(*shape.brush)) : nullptr;
    const HGDIOBJ oldPen = SelectObject(dc, pen != nullptr ? pen : GetStockObject(NULL_PEN));
    const HGDIOBJ oldBrush = SelectObject(dc, brush != nullptr ? brush : GetStockObject(NULL_BRUSH));
    const int grow = pen != nullptr ? 0 : 1;
    const std::vector<POINT> points = Points(shape.points);
    switch (shape.kind) {
      case PreviewShapeKind::Rectangle:
        Rectangle(dc, shape.left, shape.top, shape.right + grow, shape.bottom + grow);
        break;
      case PreviewShapeKind::Ellipse:
        Ellipse(dc, shape.left, shape.top, shape.right + grow, shape.bottom + grow);
        break;
      case PreviewShapeKind::Polygon: Polygon(dc, points.data(), static_cast<int>(points.size())); break;
      case PreviewShapeKind::Polyline: Polyline(dc, points.data(), static_cast<int>(points.size())); break;
      case PreviewShapeKind::Arc:
        Arc(dc, shape.left, shape.top, shape.right, shape.bottom, points[0].x, points[0].y, points[1].x,
            points[1].y);
        break;
    }
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    if (pen != nullptr) DeleteObject(pen);
    if (brush != nullptr) DeleteObject(brush);
  }
}

}  // namespace

OptionsWindow::OptionsWindow(GameOptions& options, GameState& state, const TableView& table,
                             Platform& platform, std::array<Rgb, 16>& customColours, WithTableGl withTableGl)
    : options_(options),
      state_(state),
      table_(table),
      platform_(platform),
      customColours_(customColours),
      withTableGl_(std::move(withTableGl)),
      colourBytes_(ColourBytesOf(options)),
      savedOptions_(SaveForCancel(options)),
      appliedOptions_(options) {}

OptionsWindow::~OptionsWindow() {
  if (dialog_ != nullptr) DestroyWindow(dialog_);
}

bool OptionsWindow::Open(HWND owner) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  if (OptionsTemplate(options_.russianUi).Create(owner, Procedure, this) == nullptr) return false;
  ShowWindow(dialog_, SW_SHOW);
  return true;
}

INT_PTR CALLBACK OptionsWindow::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<OptionsWindow*>(lParam);
    self->dialog_ = dialog;
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
  }
  auto* self = reinterpret_cast<OptionsWindow*>(GetWindowLongPtrW(dialog, DWLP_USER));
  return self != nullptr ? self->Handle(message, wParam, lParam) : FALSE;
}

INT_PTR OptionsWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SendMessageW(dialog_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(SmallIcon(PUZZLE_WINDOW_ICON)));
      SetUpSlider(dialog_, BULGE_ID, BulgePositionMin(), BulgePositionMax());
      SetUpSlider(dialog_, SPEED_ID, 0, SPEED_POSITION_MAX);
      bulgePosition_ = BulgePositionMin();
      ShowControls(ControlsFor(options_));
      return TRUE;
    case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return TRUE;
    case WM_HSCROLL:
      // The bulge is live, as the slider moves; the speed waits for Apply.
      if (reinterpret_cast<HWND>(lParam) == GetDlgItem(dialog_, BULGE_ID))
        SetBulgePosition(SliderPosition(dialog_, BULGE_ID));
      return TRUE;
    case WM_DRAWITEM: Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_CLOSE: Reject(); return TRUE;
    case WM_NCDESTROY:
      SetWindowLongPtrW(dialog_, DWLP_USER, 0);
      dialog_ = nullptr;
      return FALSE;
    default: return FALSE;
  }
}

void OptionsWindow::OnCommand(WORD id, WORD code) {
  // Only what the player does is live: setting a control from code sends no
  // click, so Restore default leaves these for Apply. The fields' changes
  // come from code and player alike, as in the Qt dialog.
  if (id >= FORM_FIRST_ID && id < FORM_FIRST_ID + 4 && code == BN_CLICKED) {
    options_.form = static_cast<std::uint8_t>(id - FORM_FIRST_ID + 1);
    RedrawPreview();
  } else if (id >= COLOUR_FIRST_ID && id < COLOUR_FIRST_ID + 9 && code == EN_CHANGE) {
    OnColourTextChanged(id - COLOUR_FIRST_ID);
  } else if (id >= SELECT_FIRST_ID && id < SELECT_FIRST_ID + 3 && code == BN_CLICKED) {
    ChooseColour(id - SELECT_FIRST_ID);
  } else if (id == SCATTER_ID && (code == EN_CHANGE || code == EN_KILLFOCUS)) {
    OnScatterTextChanged(code == EN_CHANGE && GetFocus() == GetDlgItem(dialog_, SCATTER_ID));
  } else if (code == BN_CLICKED) {
    switch (id) {
      case EDGES_ID: options_.showEdges = Checked(dialog_, id); break;
      case FRAME_ID: options_.showFrame = Checked(dialog_, id); break;
      case BRANDED_ID: options_.brandedBackground = Checked(dialog_, id); break;
      case IDOK: Accept(); return;
      case IDCANCEL: Reject(); return;
      case APPLY_NOW_ID:
        if (!Busy(state_)) {
          applyFromCancel_ = false;
          Apply();
        }
        return;
      case RESTORE_DEFAULT_ID: RestoreDefault(); return;
      default: return;
    }
    RedrawPreview();
  }
}

void OptionsWindow::ShowControls(const OptionsControls& controls) {
  for (int k = 1; k <= 4; ++k)
    SetChecked(dialog_, static_cast<WORD>(FORM_FIRST_ID + k - 1), controls.formButton == k);
  SendDlgItemMessageW(dialog_, BULGE_ID, TBM_SETPOS, TRUE, controls.bulgePosition);
  SetBulgePosition(SliderPosition(dialog_, BULGE_ID));
  SendDlgItemMessageW(dialog_, SPEED_ID, TBM_SETPOS, TRUE, controls.speedPosition);
  SetFieldText(dialog_, SCATTER_ID, controls.scatterText);
  SetChecked(dialog_, EDGES_ID, controls.showEdges);
  SetChecked(dialog_, FRAME_ID, controls.showFrame);
  SetChecked(dialog_, CENTRES_ID, controls.showCentres);
  SetChecked(dialog_, BRANDED_ID, controls.brandedBackground);
  SetChecked(dialog_, GAME_ROTATE_ID, controls.gameRotate);
  SetChecked(dialog_, GAME_3D_ID, controls.game3D);
  for (std::size_t i = 0; i < controls.colourTexts.size(); ++i)
    SetFieldText(dialog_, static_cast<WORD>(COLOUR_FIRST_ID + i), controls.colourTexts[i]);
}

OptionsControls OptionsWindow::ReadControls() const {
  OptionsControls controls;
  for (int k = 1; k <= 4; ++k)
    if (Checked(dialog_, static_cast<WORD>(FORM_FIRST_ID + k - 1))) controls.formButton = k;
  controls.bulgePosition = SliderPosition(dialog_, BULGE_ID);
  controls.speedPosition = SliderPosition(dialog_, SPEED_ID);
  controls.scatterText = FieldText(dialog_, SCATTER_ID);
  controls.showEdges = Checked(dialog_, EDGES_ID);
  controls.showFrame = Checked(dialog_, FRAME_ID);
  controls.showCentres = Checked(dialog_, CENTRES_ID);
  controls.brandedBackground = Checked(dialog_, BRANDED_ID);
  controls.gameRotate = Checked(dialog_, GAME_ROTATE_ID);
  controls.game3D = Checked(dialog_, GAME_3D_ID);
  for (std::size_t i = 0; i < controls.colourTexts.size(); ++i)
    controls.colourTexts[i] = FieldText(dialog_, static_cast<WORD>(COLOUR_FIRST_ID + i));
  return controls;
}

void OptionsWindow::SetBulgePosition(int position) {
  // A trackbar says nothing when code moves it: a changed position is taken
  // here whoever moved it, as the Qt slider's change is.
  if (position == bulgePosition_) return;
  bulgePosition_ = position;
  options_.bulge = PositionToBulge(position);
  RedrawPreview();
}

void OptionsWindow::OnScatterTextChanged(bool typing) {
  const ScatterFieldChange change = OnScatterFieldChanged(FieldText(dialog_, SCATTER_ID), typing);
  // The replaced text comes back through this same handler and is stored then.
  if (change.replaceText) {
    SetFieldText(dialog_, SCATTER_ID, *change.replaceText);
  } else if (change.store) {
    options_.scatterSeconds = *change.store;
  }
}

void OptionsWindow::OnColourTextChanged(std::size_t index) {
  const ColourFieldChange change =
      OnColourFieldChanged(index, FieldText(dialog_, static_cast<WORD>(COLOUR_FIRST_ID + index)));
  colourBytes_[index] = change.byte;
  if (change.replaceText)
    SetFieldText(dialog_, static_cast<WORD>(COLOUR_FIRST_ID + index), *change.replaceText);
  RedrawPreview();
}

void OptionsWindow::ChooseColour(int colour) {
  if (!ChooseSwatchColour(platform_, colourBytes_, customColours_, colour)) return;
  for (std::size_t component = 0; component < 3; ++component) {
    const std::size_t i = static_cast<std::size_t>(colour) * 3 + component;
    SetFieldText(dialog_, static_cast<WORD>(COLOUR_FIRST_ID + i), std::to_string(colourBytes_[i]));
  }
  RedrawPreview();
}

void OptionsWindow::RestoreDefault() {
  ShowControls(DefaultControls(ReadControls()));
  RestoreDefaultValues(options_, colourBytes_);
  RedrawPreview();
}

void OptionsWindow::Accept() {
  if (Busy(state_)) return;
  applyFromCancel_ = false;
  Apply();
  Close();
}

void OptionsWindow::Reject() {
  if (Busy(state_)) return;
  RestoreSaved(savedOptions_, options_);
  applyFromCancel_ = true;
  Apply();
  Close();
}

void OptionsWindow::Apply() {
  if (!applyFromCancel_) {
    OptionsControls controls = ReadControls();
    TakeControls(controls, options_, colourBytes_);
    SetFieldText(dialog_, SCATTER_ID, controls.scatterText);
    RedrawPreview();
  }
  withTableGl_(
      [this](GraphicsPort& port) { ApplyOptionsOnTable(state_, table_, options_, appliedOptions_, port); });
}

void OptionsWindow::Close() {
  // The owner takes the activation back before the dialog goes, so that the
  // table, not another program, comes to the front.
  if (HWND owner = GetWindow(dialog_, GW_OWNER)) SetActiveWindow(owner);
  DestroyWindow(dialog_);
}

void OptionsWindow::RedrawPreview() {
  InvalidateRect(GetDlgItem(dialog_, PREVIEW_ID), nullptr, FALSE);
  for (WORD c = 0; c < 3; ++c)
    InvalidateRect(GetDlgItem(dialog_, static_cast<WORD>(SWATCH_FIRST_ID + c)), nullptr, FALSE);
}

void OptionsWindow::Draw(const DRAWITEMSTRUCT& item) const {
  const RECT& box = item.rcItem;
  const int width = box.right - box.left;
  const int height = box.bottom - box.top;
  if (item.CtlID == PREVIEW_ID) {
    // Drawn off screen and copied at once, so that a moving slider does not
    // flicker the preview.
    const HDC memory = CreateCompatibleDC(item.hDC);
    const HBITMAP bitmap = CreateCompatibleBitmap(item.hDC, width, height);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    PaintShapes(memory, FormPreviewShapes(width, height, PreviewInputsOf(options_, colourBytes_)));
    BitBlt(item.hDC, box.left, box.top, width, height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return;
  }
  const int swatch = static_cast<int>(item.CtlID) - SWATCH_FIRST_ID;
  if (swatch < 0 || swatch >= 3) return;
  PaintShapes(item.hDC, {PreviewShape{PreviewShapeKind::Rectangle,
                                      Rgb{0, 0, 0},
                                      SwatchColour(colourBytes_, swatch),
                                      box.left,
                                      box.top,
                                      box.right,
                                      box.bottom,
                                      {}}});
}

}  // namespace puzzle
