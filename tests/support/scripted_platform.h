// A platform whose answers a test scripts in advance: every message shown is
// recorded, message boxes take queued answers (Ok/Yes/... by default the
// first button), file dialogs return queued paths, and the clock only moves
// when the test steps it.
#pragma once

#include <deque>
#include <map>

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

  MessageAnswer ShowMessage(const Message& message) override {
    shown.push_back(message);
    if (!answers.empty()) {
      const MessageAnswer answer = answers.front();
      answers.pop_front();
      return answer;
    }
    return message.buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Yes;
  }
  std::optional<std::string> ChooseOpenFile(const FileDialogRequest& request) override {
    return Next(openResults, request);
  }
  std::optional<std::string> ChooseSaveFile(const FileDialogRequest& request) override {
    return Next(saveResults, request);
  }
  std::optional<Rgb> ChooseColour(Rgb, std::array<Rgb, 16>&) override {
    if (colourResults.empty()) return std::nullopt;
    auto result = colourResults.front();
    colourResults.pop_front();
    return result;
  }
  CursorShape Cursor() const override { return cursor; }
  void SetCursor(CursorShape shape) override { cursor = shape; }
  void ConfineCursor(bool value) override { confined = value; }
  void SetMenuItemEnabled(int commandId, bool enabled) override { menuEnabled[commandId] = enabled; }
  bool OpenPage(const std::string& location) override {
    openedPages.push_back(location);
    return true;
  }
  std::uint32_t TickMs() const override { return tick; }

  void Step(std::uint32_t ms) { tick += ms; }

 private:
  std::optional<std::string> Next(std::deque<std::optional<std::string>>& queue,
                                  const FileDialogRequest& request) {
    fileRequests.push_back(request);
    if (queue.empty()) return std::nullopt;
    auto result = queue.front();
    queue.pop_front();
    return result;
  }
};

}  // namespace puzzle::testing
