#include "gui/file_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QString>
#include <QStringList>

namespace marvane {

std::optional<std::string> QtFileDialogs::Ask(const FileDialogRequest& request) {
  const bool save = request.kind == FileDialogRequest::Kind::Save;
  QFileDialog dialog(nullptr, QString::fromStdString(request.title));
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setNameFilter(QString::fromStdString(request.filter));
  dialog.setDefaultSuffix(QString::fromStdString(request.defaultSuffix));
  // The dialog opens where the current name lives, with that name filled in.
  const QFileInfo initial(QString::fromStdString(request.initialName));
  if (!request.initialName.empty()) {
    if (initial.dir().exists()) dialog.setDirectory(initial.absolutePath());
    dialog.selectFile(initial.fileName());
  }
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty() || chosen.first().isEmpty()) return std::nullopt;
  return chosen.first().toStdString();
}

}  // namespace marvane
