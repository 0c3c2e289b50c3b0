// A platform whose answers a test scripts in advance: every message shown is
// recorded, message boxes take queued answers (Ok/Yes/... by default the
// first button), file dialogs return queued paths, and the clock only moves
// when the test steps it.
#pragma once

#include <deque>
#include <map>
#include <utility>

#include "platform/platform.h"

namespace puzzle::testing {

class ScriptedPlatform : public Platform {
 public:
  std::vector<Message> shown;
  std::deque<MessageAnswer> answers;
  std::deque<std::optional<std::string>> openResults;
  std::deque<std::optional<std::string>> saveResults;
  std::vector<FileDialogRequest> fileRequests;
  std::deque<std::optional<Rgb>> colourResults;
  std::map<int, bool> menuEnabled;
  std::vector<std::string> openedPages;
  std::uint32_t tick = 1000;
  CursorShape cursor = CursorShape::Arrow;
  bool confined = false;
  // Whether a browser takes the pages asked for.
  bool pagesOpen = true;

  MessageAnswer ShowMessage(const Message& message) override {
    shown.push_back(message);
    return Pop(answers).value_or(message.buttons == MessageButtons::Ok ? MessageAnswer::Ok
                                                                       : MessageAnswer::Yes);
  }
  std::optional<std::string> ChooseOpenFile(const FileDialogRequest& request) override {
    fileRequests.push_back(request);
    return Pop(openResults).value_or(std::nullopt);
  }
  std::optional<std::string> ChooseSaveFile(const FileDialogRequest& request) override {
    fileRequests.push_back(request);
    return Pop(saveResults).value_or(std::nullopt);
  }
  std::optional<Rgb> ChooseColour(Rgb, std::array<Rgb, 16>&) override {
    return Pop(colourResults).value_or(std::nullopt);
  }
  CursorShape Cursor() const override { return cursor; }
  void SetCursor(CursorShape shape) override { cursor = shape; }
  void ConfineCursor(bool value) override { confined = value; }
  void SetMenuItemEnabled(int commandId, bool enabled) override { menuEnabled[commandId] = enabled; }
  bool OpenPage(const std::string& location) override {
    openedPages.push_back(location);
    return pagesOpen;
  }
  std::uint32_t TickMs() const override { return tick; }

  void Step(std::uint32_t ms) { tick += ms; }

 private:
  // The next scripted item, nothing when the script has run out.
  template <typename T>
  static std::optional<T> Pop(std::deque<T>& queue) {
    if (queue.empty()) return std::nullopt;
    T item = std::move(queue.front());
    queue.pop_front();
    return item;
  }
};

}  // namespace puzzle::testing
