#include "app/dialogs.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "game/commands.h"
#include "model/texts.h"

namespace puzzle {
namespace {

QString Text(const UiText& text, bool russianUi) {
  return QString::fromUtf8(Tr(text, russianUi));
}

QDialog* NewDialog(QWidget* owner, const UiText& title, bool russianUi) {
  auto* dialog = new QDialog(owner);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowTitle(Text(title, russianUi));
  if (owner != nullptr) dialog->setWindowIcon(owner->windowIcon());
  return dialog;
}

QGroupBox* Group(const UiText& title, std::initializer_list<const UiText*> lines, bool russianUi) {
  auto* group = new QGroupBox(Text(title, russianUi));
  auto* layout = new QVBoxLayout(group);
  for (const UiText* line : lines) layout->addWidget(new QLabel(Text(*line, russianUi)));
  return group;
}

}  // namespace

std::string HelpPageLocation(bool russianUi) {
  const QString name = russianUi ? QStringLiteral("help.htm") : QStringLiteral("manual.htm");
  const QString relative = QStringLiteral("/../" PUZZLE_DOC_DIR "/tessarine/") + name;
  // The program lies in bin/ when installed and in app/ of the build tree,
  // which holds a copy of the pages at the same relative place.
  const QString candidate = QDir::cleanPath(QCoreApplication::applicationDirPath() + relative);
  if (QFileInfo::exists(candidate)) return candidate.toStdString();
  return QDir::cleanPath(QStringLiteral(PUZZLE_INSTALL_PREFIX "/" PUZZLE_DOC_DIR "/tessarine/") + name)
      .toStdString();
}

QDialog* OpenNumberOfPiecesDialog(QWidget* owner, GameOptions& options, Platform& platform) {
  const bool ru = options.russianUi;
  QDialog* dialog = NewDialog(owner, texts::PIECES_TITLE, ru);
  auto* layout = new QVBoxLayout(dialog);
  auto* group = new QGroupBox(Text(texts::PIECES_GROUP, ru));
  auto* edit = new QLineEdit(QString::number(options.columns));
  edit->setObjectName(NUMBER_EDIT_NAME);
  (new QVBoxLayout(group))->addWidget(edit);
  layout->addWidget(group);
  auto* buttons = new QDialogButtonBox;
  QPushButton* ok = buttons->addButton(Text(texts::BUTTON_OK, ru), QDialogButtonBox::AcceptRole);
  ok->setDefault(true);
  buttons->addButton(Text(texts::BUTTON_CANCEL, ru), QDialogButtonBox::RejectRole);
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, [dialog, edit, &options, &platform] {
    const bool taken = TakeNumberOfPieces(options, platform, edit->text().toStdString());
    dialog->done(taken ? QDialog::Accepted : QDialog::Rejected);
  });
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  // Esc and the close box end the dialog as its Cancel button does (a refused
  // entry has already cleared the number).
  QObject::connect(dialog, &QDialog::rejected, dialog, [&options] { options.pendingColumns = 0; });
  dialog->show();
  return dialog;
}

QDialog* OpenQuickHelpDialog(QWidget* owner, bool russianUi, Platform& platform) {
  QDialog* dialog = NewDialog(owner, texts::QUICK_HELP_TITLE, russianUi);
  auto* layout = new QVBoxLayout(dialog);
  layout->addWidget(
      Group(texts::QUICK_START_GROUP,
            {&texts::QUICK_START_1, &texts::QUICK_START_2, &texts::QUICK_START_3, &texts::QUICK_START_4},
            russianUi));
  layout->addWidget(
      Group(texts::HOW_TO_PLAY_GROUP,
            {&texts::HOW_TO_PLAY_1, &texts::HOW_TO_PLAY_2, &texts::HOW_TO_PLAY_3, &texts::HOW_TO_PLAY_4},
            russianUi));
  layout->addWidget(Group(texts::CHANGE_OPTIONS_GROUP,
                          {&texts::CHANGE_OPTIONS_1, &texts::CHANGE_OPTIONS_2, &texts::CHANGE_OPTIONS_3,
                           &texts::CHANGE_OPTIONS_4},
                          russianUi));
  auto* more = new QGroupBox(Text(texts::MORE_DETAILS_GROUP, russianUi));
  const std::string page = HelpPageLocation(russianUi);
  auto* link = new QPushButton(QString::fromStdString(page));
  link->setObjectName(MANUAL_BUTTON_NAME);
  // Enter presses OK, not the manual's button that has the focus.
  link->setAutoDefault(false);
  (new QVBoxLayout(more))->addWidget(link);
  layout->addWidget(more);
  auto* buttons = new QDialogButtonBox;
  buttons->addButton(Text(texts::BUTTON_OK, russianUi), QDialogButtonBox::AcceptRole)->setDefault(true);
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(link, &QPushButton::clicked, dialog, [dialog, page, russianUi, &platform] {
    OpenManualPage(platform, russianUi, page);
    dialog->accept();
  });
  dialog->show();
  return dialog;
}

}  // namespace puzzle
