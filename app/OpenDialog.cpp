#include "app/OpenDialog.h"

#include <QDir>
#include <QFileDialog>

namespace pbx::app {

QStringList QtNameFilters(const QString& pairs) {
  const QStringList parts = pairs.split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString pattern = parts[i + 1];
    pattern.replace(QStringLiteral("*.*"), QStringLiteral("*"));
    pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
    filters << parts[i] + QStringLiteral(" (") + pattern + QLatin1Char(')');
  }
  return filters;
}

bool TOpenDialog::Execute(QWidget* parent) {
  QFileDialog dialog(parent);
  dialog.setObjectName(QStringLiteral("OpenDialog"));
  dialog.setOptions(QFileDialog::DontUseNativeDialog |
                    QFileDialog::HideNameFilterDetails);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  // Any name is accepted, also one that matches no file.
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(DefaultExt);
  const QStringList filters = QtNameFilters(Filter);
  dialog.setNameFilters(filters);
  if (FilterIndex >= 1 && FilterIndex <= filters.size())
    dialog.selectNameFilter(filters[FilterIndex - 1]);
  // Qt would otherwise start where a dialog of an earlier session was left.
  if (FileName.isEmpty())
    dialog.setDirectory(QDir::currentPath());
  else
    dialog.selectFile(FileName);
  if (dialog.exec() != QDialog::Accepted) return false;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return false;
  FileName = QDir::toNativeSeparators(chosen.first());
  FilterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
  return true;
}

}  // namespace pbx::app
