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

QString NameFilters(const FileDialogRequest& request, QString* selected) {
  QStringList filters;
  for (std::size_t i = 0; i < request.filters.size(); ++i) {
    const auto& filter = request.filters[i];
    QStringList patterns;
    for (const auto& p : filter.patterns) patterns << QString::fromStdString(p);
    // Qt reads the patterns from the parentheses of a filter's label.
    QString label = QString::fromStdString(filter.label);
    const QString entry = label.contains('(') ? label : label + " (" + patterns.join(' ') + ")";
    filters << entry;
    if (i == request.selectedFilter) *selected = entry;
  }
  return filters.join(";;");
}

QString StartPath(const FileDialogRequest& request) {
  if (!request.initialPath.empty()) return QString::fromStdString(request.initialPath);
  return QString::fromStdString(request.startDirectory);
}

}  // namespace

QtPlatform::QtPlatform() {
  clock_.start();
}

MessageAnswer QtPlatform::ShowMessage(const Message& message) {
  QMessageBox box(message.owner == MessageOwner::MainWindow ? mainWindow_.data() : nullptr);
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
  QString selected;
  const QString filters = NameFilters(request, &selected);
  const QString path =
      QFileDialog::getOpenFileName(mainWindow_, QString(), StartPath(request), filters, &selected);
  if (path.isEmpty()) return std::nullopt;
  return path.toStdString();
}

std::optional<std::string> QtPlatform::ChooseSaveFile(const FileDialogRequest& request) {
  QFileDialog dialog(mainWindow_);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  QString selected;
  dialog.setNameFilter(NameFilters(request, &selected));
  dialog.selectNameFilter(selected);
  if (!request.defaultExtension.empty())
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
  if (!request.startDirectory.empty()) dialog.setDirectory(QString::fromStdString(request.startDirectory));
  if (!request.initialPath.empty()) dialog.selectFile(QString::fromStdString(request.initialPath));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first().toStdString();
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
