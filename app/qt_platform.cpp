#include "app/qt_platform.h"

#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

namespace puzzle {
namespace {

// The dialog both file choosers show, with the request's filters, folder and
// name.
void Configure(QFileDialog& dialog, const FileDialogRequest& request) {
  const QStringList filters = QtNameFilters(request);
  dialog.setNameFilters(filters);
  // The labels are shown as written; the pattern group added behind each is
  // what the dialog lists by.
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  if (request.selectedFilter < static_cast<std::size_t>(filters.size()))
    dialog.selectNameFilter(filters[static_cast<qsizetype>(request.selectedFilter)]);
  if (!request.startDirectory.empty()) dialog.setDirectory(QString::fromStdString(request.startDirectory));
  if (!request.initialPath.empty()) dialog.selectFile(QString::fromStdString(request.initialPath));
}

std::optional<std::string> Run(QFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first().toStdString();
}

}  // namespace

QStringList QtNameFilters(const FileDialogRequest& request) {
  QStringList filters;
  for (const FileFilter& filter : request.filters) {
    QStringList patterns;
    for (const auto& p : filter.patterns) patterns << QString::fromStdString(p);
    // Qt lists by the last bracketed group of a filter only, so a label with
    // a group per pattern ("(*.jpg)(*.jpe)(*.jpeg)") gets one group holding
    // them all behind it.
    filters << QString::fromStdString(filter.label) + " (" + patterns.join(' ') + ")";
  }
  return filters;
}

QtPlatform::QtPlatform() {
  clock_.start();
}

MessageAnswer QtPlatform::ShowMessage(const Message& message) {
  // Every box opens centred on the main window, where the player looks, and
  // wide enough for its caption; the text is shown as written (a file name
  // may hold what would read as markup).
  QMessageBox box(mainWindow_.data());
  box.setTextFormat(Qt::PlainText);
  box.setText(QString::fromStdString(message.text));
  box.setWindowTitle(QString::fromStdString(message.caption));
  switch (message.icon) {
    case MessageIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MessageIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MessageIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MessageIcon::Stop: box.setIcon(QMessageBox::Critical); break;
  }
  switch (message.buttons) {
    case MessageButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MessageButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MessageButtons::YesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
  }
  switch (box.exec()) {
    case QMessageBox::Yes: return MessageAnswer::Yes;
    case QMessageBox::No: return MessageAnswer::No;
    case QMessageBox::Cancel: return MessageAnswer::Cancel;
    default: return MessageAnswer::Ok;
  }
}

std::optional<std::string> QtPlatform::ChooseOpenFile(const FileDialogRequest& request) {
  QFileDialog dialog(mainWindow_);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  Configure(dialog, request);
  return Run(dialog);
}

std::optional<std::string> QtPlatform::ChooseSaveFile(const FileDialogRequest& request) {
  QFileDialog dialog(mainWindow_);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  // The caller settles the final name (its extension) and asks about
  // replacing then, so that the question names the file really written.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  Configure(dialog, request);
  if (!request.defaultExtension.empty())
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
  return Run(dialog);
}

std::optional<Rgb> QtPlatform::ChooseColour(Rgb initial, std::array<Rgb, 16>& customColours) {
  for (int i = 0; i < 16; ++i) {
    const auto& c = customColours[static_cast<std::size_t>(i)];
    QColorDialog::setCustomColor(i, QColor(c[0], c[1], c[2]));
  }
  const QColor chosen = QColorDialog::getColor(QColor(initial[0], initial[1], initial[2]), mainWindow_);
  for (int i = 0; i < 16; ++i) {
    const QColor c = QColorDialog::customColor(i);
    customColours[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>(c.red()),
                                                  static_cast<std::uint8_t>(c.green()),
                                                  static_cast<std::uint8_t>(c.blue())};
  }
  if (!chosen.isValid()) return std::nullopt;
  return Rgb{static_cast<std::uint8_t>(chosen.red()), static_cast<std::uint8_t>(chosen.green()),
             static_cast<std::uint8_t>(chosen.blue())};
}

void QtPlatform::SetCursor(CursorShape shape) {
  if (shape == cursor_) return;
  if (cursor_ == CursorShape::Wait) QApplication::restoreOverrideCursor();
  if (shape == CursorShape::Wait) QApplication::setOverrideCursor(Qt::WaitCursor);
  cursor_ = shape;
}

void QtPlatform::SetMenuItemEnabled(int commandId, bool enabled) {
  if (menuActions_ != nullptr) menuActions_->SetEnabled(commandId, enabled);
}

bool QtPlatform::OpenPage(const std::string& location) {
  const QString text = QString::fromStdString(location);
  const QUrl url = QFileInfo(text).isAbsolute() ? QUrl::fromLocalFile(text) : QUrl(text);
  return QDesktopServices::openUrl(url);
}

std::uint32_t QtPlatform::TickMs() const {
  return static_cast<std::uint32_t>(clock_.elapsed());
}

}  // namespace puzzle
