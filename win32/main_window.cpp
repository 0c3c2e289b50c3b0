#include "win32/main_window.h"

#include <windowsx.h>

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "game/check.h"
#include "game/commands.h"
#include "game/menus.h"
#include "game/picking.h"
#include "game/rotation.h"
#include "model/texts.h"
#include "render/application_commands.h"
#include "render/fonts.h"
#include "render/gl_view.h"
#include "render/kept_layer.h"
#include "render/table_mesh.h"
#include "render/textures.h"
#include "render/wgl_context.h"
#include "storage/settings.h"
#include "win32/dialogs.h"
#include "win32/icons.h"

namespace puzzle {
namespace {

constexpr const wchar_t* WINDOW_CLASS = L"Puzzle";
constexpr UINT_PTR FRAME_TIMER = 1;
constexpr UINT_PTR RECOVERY_TIMER = 2;
// Ids of the Recent games items, one per remembered game.
constexpr UINT RECENT_GAME_FIRST = 40000;

std::optional<ScrollKey> ScrollKeyOf(WPARAM key) {
  switch (key) {
    case VK_PRIOR: return ScrollKey::PageUp;
    case VK_NEXT: return ScrollKey::PageDown;
    case VK_END: return ScrollKey::End;
    case VK_HOME: return ScrollKey::Home;
    case VK_LEFT: return ScrollKey::Left;
    case VK_UP: return ScrollKey::Up;
    case VK_RIGHT: return ScrollKey::Right;
    case VK_DOWN: return ScrollKey::Down;
    default: return std::nullopt;
  }
}

// The digit a key stands for by the virtual key, whatever the layout writes
// with it: the main row and the keypad alike.
std::optional<int> DigitOfKey(WPARAM key) {
  if (key >= '0' && key <= '9') return static_cast<int>(key - '0');
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return static_cast<int>(key - VK_NUMPAD0);
  return std::nullopt;
}

std::wstring KeyName(const MenuShortcut& key) {
  std::wstring name;
  if (key.ctrl) name += L"Ctrl+";
  if (key.shift) name += L"Shift+";
  if (key.letter != 0) return name + static_cast<wchar_t>(key.letter);
  return name + L"F" + std::to_wstring(key.functionKey);
}

// The virtual key of a shortcut's character: letters and digits are their
// own; '+' and '=' share the key right of the main row's 0 (Ctrl with either
// zooms in), '-' is the key beside it.
WORD VirtualKeyOf(const MenuShortcut& key) {
  switch (key.letter) {
    case 0: return static_cast<WORD>(VK_F1 + key.functionKey - 1);
    case '+':
    case '=': return VK_OEM_PLUS;
    case '-': return VK_OEM_MINUS;
    default: return static_cast<WORD>(key.letter);
  }
}

// The bar's menus and items from the shared description; each shortcut
// becomes an accelerator, so that a greyed item refuses its key as it
// refuses a click.
void FillMenu(HMENU menu, const std::vector<MainMenuItem>& items, bool russianUi, bool onBar,
              std::vector<ACCEL>& accelerators, HMENU& recentGames) {
  for (const MainMenuItem& item : items) {
    std::wstring text = ShownText(Tr(item.text, russianUi));
    switch (item.kind) {
      case MainMenuItemKind::Separator: AppendMenuW(menu, MF_SEPARATOR, 0, nullptr); break;
      case MainMenuItemKind::RecentGames:
        recentGames = CreatePopupMenu();
        AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(recentGames), text.c_str());
        break;
      case MainMenuItemKind::Submenu: {
        HMENU submenu = CreatePopupMenu();
        FillMenu(submenu, item.items, russianUi, false, accelerators, recentGames);
        AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), text.c_str());
        break;
      }
      case MainMenuItemKind::Command:
        // The bar's own items (Undo, Redo) show no key, as a bar has no room.
        if (!onBar && !item.shortcuts.empty()) text += L'\t' + KeyName(item.shortcuts.front());
        for (const MenuShortcut& key : item.shortcuts) {
          ACCEL accelerator{};
          accelerator.fVirt =
              static_cast<BYTE>(FVIRTKEY | (key.ctrl ? FCONTROL : 0) | (key.shift ? FSHIFT : 0));
          accelerator.key = VirtualKeyOf(key);
          accelerator.cmd = static_cast<WORD>(item.commandId);
          accelerators.push_back(accelerator);
        }
        AppendMenuW(menu, MF_STRING | (item.startsGreyed ? MF_GRAYED : 0),
                    static_cast<UINT_PTR>(item.commandId), text.c_str());
        break;
    }
  }
}

HMENU MakePieceMenu(const std::vector<PieceMenuItem>& items) {
  HMENU menu = CreatePopupMenu();
  for (const PieceMenuItem& item : items) {
    switch (item.kind) {
      case PieceMenuItemKind::Separator: AppendMenuW(menu, MF_SEPARATOR, 0, nullptr); break;
      case PieceMenuItemKind::Submenu:
        AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(MakePieceMenu(item.items)),
                    ShownText(item.text).c_str());
        break;
      case PieceMenuItemKind::Command:
        AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(item.commandId), ShownText(item.text).c_str());
        break;
    }
  }
  return menu;
}

BOOL CALLBACK AddScreen(HMONITOR, HDC, LPRECT area, LPARAM screens) {
  reinterpret_cast<std::vector<ScreenRect>*>(screens)->push_back(
      {area->left, area->top, area->right - area->left, area->bottom - area->top});
  return TRUE;
}

}  // namespace

MainWindow::MainWindow(Application& app, Win32Platform& platform, WindowStorage storage)
    : app_(app), platform_(platform), storage_(std::move(storage)), graphics_(app.mesh) {
  QueryPerformanceFrequency(&clockFrequency_);
  QueryPerformanceCounter(&clockStart_);
}

MainWindow::~MainWindow() {
  if (context_ != nullptr) {
    wglMakeCurrent(deviceContext_, context_);
    ClearTableMesh(app_.mesh);
    ReleaseKeptLayer(app_.layer);
    DeletePictureTextures(app_.state);
    DeleteFonts(app_.fonts);
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(context_);
  }
  if (keys_ != nullptr) DestroyAcceleratorTable(keys_);
  if (window_ != nullptr) DestroyWindow(window_);
}

double MainWindow::NowMs() const {
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart - clockStart_.QuadPart) * 1000.0 /
         static_cast<double>(clockFrequency_.QuadPart);
}

bool MainWindow::Create(int showCommand) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  // Its own device context, which keeps the pixel format of the GL context.
  windowClass.style = CS_OWNDC | CS_DBLCLKS;
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(PUZZLE_WINDOW_ICON));
  windowClass.hIconSm = SmallIcon(PUZZLE_WINDOW_ICON);
  windowClass.hCursor = nullptr;  // WM_SETCURSOR picks the shape
  windowClass.lpszClassName = WINDOW_CLASS;
  if (RegisterClassExW(&windowClass) == 0) return false;

  const bool ru = app_.options.russianUi;
  menu_ = CreateMenu();
  std::vector<ACCEL> accelerators;
  FillMenu(menu_, MainMenu(), ru, true, accelerators, recentGames_);
  keys_ = CreateAcceleratorTableW(accelerators.data(), static_cast<int>(accelerators.size()));

  StartApplication(app_, storage_.settings);
  std::vector<ScreenRect> screens;
  EnumDisplayMonitors(nullptr, nullptr, AddScreen, reinterpret_cast<LPARAM>(&screens));
  // A copy: placing the window writes windowRect again as it goes.
  const auto [left, top, width, height] = PlaceStoredWindow(app_.options.windowRect, screens);
  app_.shell.title = Tr(texts::START_TITLE, ru);
  window_ = CreateWindowExW(0, WINDOW_CLASS, ShownText(app_.shell.title).c_str(),
                            WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, left, top, width, height,
                            nullptr, menu_, instance, this);
  if (window_ == nullptr) return false;
  platform_.SetMainWindow(window_, menu_);
  app_.bars.scrollBarThickness = GetSystemMetrics(SM_CXVSCROLL);
  if (!StartGl()) return false;
  ShowWindow(window_, showCommand);
  UpdateWindow(window_);
  return true;
}

bool MainWindow::StartGl() {
  deviceContext_ = GetDC(window_);
  std::string error;
  // As deep a depth buffer as the driver gives: picking reads it.
  context_ = CreateWglContext(deviceContext_, 32, error);
  if (context_ == nullptr || !wglMakeCurrent(deviceContext_, context_)) {
    platform_.ShowMessage({"OpenGL: " + error, Tr(texts::CAPTION_ERROR, app_.options.russianUi),
                           MessageButtons::Ok, MessageIcon::Stop, MessageOwner::MainWindow});
    return false;
  }
  RECT client{};
  GetClientRect(window_, &client);
  // The window is not yet aware of the screen's density: one device pixel
  // per logical pixel.
  StartTableGl(app_, std::max(1L, client.right), std::max(1L, client.bottom), 1.0);
  ResizeGL(app_.state, app_.table, app_.view);
  if (CheckDepthPrecision(app_.view, app_.options)) {
    const bool ru = app_.options.russianUi;
    platform_.ShowMessage({Tr(texts::OBSOLETE_VIDEO, ru), Tr(texts::CAPTION_ERROR, ru), MessageButtons::Ok,
                           MessageIcon::Exclamation, MessageOwner::None});
  }
  return true;
}

int MainWindow::Run() {
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    // The modeless Options dialog takes its own keys (Tab, Enter, Esc)
    // before the table's shortcuts see them.
    if (optionsWindow_ && optionsWindow_->Window() != nullptr &&
        IsDialogMessageW(optionsWindow_->Window(), &message))
      continue;
    if (window_ != nullptr && TranslateAcceleratorW(window_, keys_, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  // A game that ran and was closed ends with success.
  return 0;
}

LRESULT CALLBACK MainWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  return self->Handle(message, wParam, lParam);
}

void MainWindow::Redraw() {
  InvalidateRect(window_, nullptr, FALSE);
}

LRESULT MainWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: Paint(); return 0;
    // The table covers the whole client area: nothing to clear under it.
    case WM_ERASEBKGND: return 1;
    case WM_TIMER:
      if (wParam == FRAME_TIMER) {
        KillTimer(window_, FRAME_TIMER);
        Redraw();
      } else if (wParam == RECOVERY_TIMER) {
        KillTimer(window_, RECOVERY_TIMER);
        KeepRecovery(app_.recovery, app_.state, app_.options, app_.table, platform_.TickMs());
        if (app_.recovery.cadence.pending) SetTimer(window_, RECOVERY_TIMER, 1000, nullptr);
      }
      return 0;
    case WM_SIZE:
      if (context_ != nullptr && wParam != SIZE_MINIMIZED) OnSize(LOWORD(lParam), HIWORD(lParam));
      RememberPlacement();
      return 0;
    case WM_MOVE: RememberPlacement(); return 0;
    case WM_COMMAND: Command(LOWORD(wParam)); return 0;
    case WM_INITMENUPOPUP:
      if (reinterpret_cast<HMENU>(wParam) == recentGames_) FillRecentGames(recentGames_);
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) {
        // The commands the scatter holds back wait under a busy pointer.
        const bool scattering = app_.state.scatterRunning || app_.state.settleRunning;
        SetCursor(CursorOf(scattering ? CursorShape::Wait : platform_.Cursor()));
        return TRUE;
      }
      break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
      if (OnMouse(message, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))) {
        Redraw();
        return 0;
      }
      break;
    case WM_MOUSEWHEEL:
      OnWheel(0, GET_WHEEL_DELTA_WPARAM(wParam), GET_KEYSTATE_WPARAM(wParam), lParam);
      Redraw();
      return 0;
    case WM_MOUSEHWHEEL:
      // Windows counts a tilt to the right as positive, the rules away.
      OnWheel(-GET_WHEEL_DELTA_WPARAM(wParam), 0, GET_KEYSTATE_WPARAM(wParam), lParam);
      Redraw();
      return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP: {
      const bool handled = OnKey(message, wParam);
      Redraw();
      if (handled) return 0;
      break;
    }
    // A dialog or menu took the focus with Ctrl held: its release never
    // comes here.
    case WM_KILLFOCUS: app_.input.modifierDown = false; return 0;
    case WM_CLOSE:
      if (!LeaveGame(app_, platform_, storage_.settings)) return 0;
      if (storage_.registerGameFiles) storage_.registerGameFiles();
      DestroyWindow(window_);
      return 0;
    case WM_DESTROY:
      window_ = nullptr;
      PostQuitMessage(0);
      return 0;
    default: break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

void MainWindow::OnSize(int width, int height) {
  const PreviousClient previous = CurrentClient(app_.table);
  SetClientSize(app_.table, width, height);
  ResizeGL(app_.state, app_.table, app_.view);
  TableResized(app_, platform_, previous);
  Redraw();
}

void MainWindow::Paint() {
  PAINTSTRUCT paint{};
  BeginPaint(window_, &paint);
  EndPaint(window_, &paint);
  if (context_ == nullptr) return;
  KillTimer(window_, FRAME_TIMER);
  bool turnFinished = false;
  nextFrameDelay_ = DrawTableFrame(app_, platform_.TickMs(), NowMs(), turnFinished);
  SwapBuffers(deviceContext_);
  KeepRecovery(app_.recovery, app_.state, app_.options, app_.table, platform_.TickMs());
  if (app_.recovery.cadence.pending) SetTimer(window_, RECOVERY_TIMER, 1000, nullptr);
  if (!firstFrameShown_) {
    firstFrameShown_ = true;
    AfterFirstFrame(app_, platform_, graphics_);
    ShowTitle();
    Redraw();
  }
  // The turn ends inside a frame: the congratulation waits until it is shown.
  if (turnFinished) AnnounceIfFinished(app_.state, app_.options, platform_);
  ScheduleNextFrame();
}

void MainWindow::ScheduleNextFrame() {
  // Nothing moves: the next frame waits for the player.
  if (!nextFrameDelay_) return;
  const double delay = std::max(FrameDelay(app_.pacer, NowMs()), static_cast<double>(*nextFrameDelay_));
  if (delay <= 0) {
    // WM_PAINT comes only when no other message waits, so the player's
    // input goes first.
    Redraw();
    return;
  }
  SetTimer(window_, FRAME_TIMER, static_cast<UINT>(std::ceil(delay)), nullptr);
}

void MainWindow::ShowTitle() {
  if (window_ != nullptr) SetWindowTextW(window_, ShownText(app_.shell.title).c_str());
}

void MainWindow::Command(int commandId) {
  if (commandId >= static_cast<int>(RECENT_GAME_FIRST) &&
      commandId < static_cast<int>(RECENT_GAME_FIRST + app_.options.recentGames.size())) {
    const std::string path =
        app_.options.recentGames[static_cast<std::size_t>(commandId) - RECENT_GAME_FIRST];
    OpenRecent(app_, platform_, graphics_, path);
  } else if (!RunCommand(app_, platform_, graphics_, commandId, [] {})) {
    const bool ru = app_.options.russianUi;
    switch (commandId) {
      case CMD_EXIT: PostMessageW(window_, WM_CLOSE, 0, 0); break;
      case CMD_OPTIONS:
        if (!Busy(app_.state)) OpenOptions();
        break;
      case CMD_NUMBER_OF_PIECES: RunNumberOfPiecesDialog(window_, app_.options, platform_); break;
      case CMD_HELP: RunQuickHelpDialog(window_, ru, platform_); break;
      case CMD_HELP_ONLINE: OpenManualPage(platform_, ru, HelpPageLocation(ru)); break;
      default: break;
    }
  }
  ShowTitle();
  Redraw();
}

void MainWindow::OpenOptions() {
  // One Options dialog at a time: its Cancel restores the options it found.
  if (optionsWindow_ && optionsWindow_->Window() != nullptr) {
    SetActiveWindow(optionsWindow_->Window());
    return;
  }
  optionsWindow_ = std::make_unique<OptionsWindow>(app_.options, app_.state, app_.table, platform_,
                                                   app_.customColours, [this](const TableGlWork& work) {
                                                     wglMakeCurrent(deviceContext_, context_);
                                                     work(graphics_);
                                                     Redraw();
                                                   });
  optionsWindow_->Open(window_);
}

void MainWindow::FillRecentGames(HMENU menu) {
  while (GetMenuItemCount(menu) > 0) DeleteMenu(menu, 0, MF_BYPOSITION);
  DropMissingRecentGames(app_.options.recentGames);
  const bool ru = app_.options.russianUi;
  if (app_.options.recentGames.empty()) {
    AppendMenuW(menu, MF_STRING | MF_GRAYED, 0, ShownText(Tr(texts::MENU_NO_RECENT_GAMES, ru)).c_str());
    return;
  }
  UINT id = RECENT_GAME_FIRST;
  for (const std::string& path : app_.options.recentGames) {
    // An ampersand in a path is shown, not taken for a mnemonic.
    std::wstring text;
    for (wchar_t c : ShownText(path)) text += c == L'&' ? std::wstring(L"&&") : std::wstring(1, c);
    AppendMenuW(menu, MF_STRING, id++, text.c_str());
  }
}

bool MainWindow::OnMouse(UINT message, int x, int y) {
  auto records = PointerRecordsOf(app_);
  switch (message) {
    case WM_MOUSEMOVE:
      // A moving pointer means someone is playing: the branded caption waits
      // for the next idle spell.
      app_.timing.pointerMovedAt = platform_.TickMs();
      OnMouseMove(records, platform_, graphics_, x, y);
      // While a piece is held the pointer stays over the table, so that the
      // drag rules see it on the border and scroll the table.
      if (app_.input.leftButtonDown) {
        RECT client{};
        GetClientRect(window_, &client);
        POINT inside{std::clamp(x, 0, std::max(0, static_cast<int>(client.right) - 1)),
                     std::clamp(y, 0, std::max(0, static_cast<int>(client.bottom) - 1))};
        if (inside.x != x || inside.y != y) {
          ClientToScreen(window_, &inside);
          SetCursorPos(inside.x, inside.y);
        }
      }
      return true;
    case WM_LBUTTONDOWN:
      SetCapture(window_);
      // The press acts where the pointer is now, even without a move first.
      OnMouseMove(records, platform_, graphics_, x, y);
      OnLeftButtonDown(records, platform_);
      return true;
    case WM_LBUTTONUP: {
      ReleaseCapture();
      // Only a drop can finish the picture; a click that moved nothing says
      // nothing.
      const bool dropped = app_.input.pieceMoved;
      OnLeftButtonUp(records, platform_, graphics_);
      if (dropped) AnnounceIfFinished(app_.state, app_.options, platform_);
      return true;
    }
    case WM_RBUTTONDOWN:
      if (OnRightButtonDown(records, graphics_, x, y)) ShowPieceMenu();
      return true;
    default: return false;
  }
}

void MainWindow::ShowPieceMenu() {
  HMENU menu = MakePieceMenu(BuildPieceMenu(app_.options));
  POINT at{};
  GetCursorPos(&at);
  const int chosen =
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN, at.x, at.y, 0, window_, nullptr);
  DestroyMenu(menu);
  if (chosen != 0) Command(chosen);
}

void MainWindow::OnWheel(int deltaX, int deltaY, WPARAM keys, LPARAM screenPoint) {
  // The wheel's messages carry the pointer in screen coordinates.
  POINT at{GET_X_LPARAM(screenPoint), GET_Y_LPARAM(screenPoint)};
  ScreenToClient(window_, &at);
  WheelOnTable(app_, deltaX, deltaY, (keys & MK_CONTROL) != 0, (keys & MK_SHIFT) != 0, at.x + 0.5, at.y + 0.5,
               [this](int id) { Command(id); });
}

bool MainWindow::OnKey(UINT message, WPARAM key) {
  const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
  if (key == VK_CONTROL || key == VK_MENU) {
    app_.input.modifierDown = down;
    return false;
  }
  if (down) {
    const auto scroll = ScrollKeyOf(key);
    if (!scroll) return false;
    ApplyScrollKey(app_.table, app_.state, *scroll, app_.input.modifierDown);
    UpdateScrollBars(app_.state, app_.table, app_.bars, app_.input.cursorX, app_.input.cursorY,
                     app_.picking.edges);
    return true;
  }
  // Turns act once per release, not per auto-repeat.
  const auto digit = DigitOfKey(key);
  if (!digit) return false;
  if (const auto turn = TurnForDigit(*digit))
    RotateSelected(app_.state, app_.history, platform_, turn->angle, turn->axisCode);
  return true;
}

void MainWindow::RememberPlacement() {
  if (window_ == nullptr || IsIconic(window_) || IsZoomed(window_)) return;
  RECT frame{};
  GetWindowRect(window_, &frame);
  app_.options.windowRect = {frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top};
}

}  // namespace puzzle
