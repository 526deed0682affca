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

namespace {

// The choice (from 1) that the dialog reports as selected. With the details
// hidden, Qt 6.4 reports the shown text instead of the whole filter.
int ChoiceIndex(const QStringList& filters, const QString& selected) {
  for (qsizetype i = 0; i < filters.size(); ++i) {
    const QString& filter = filters[i];
    const QString shown = filter.left(filter.lastIndexOf(QStringLiteral(" (")));
    if (selected == filter || selected == shown) return static_cast<int>(i) + 1;
  }
  return 1;
}

}  // namespace

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
  FilterIndex = ChoiceIndex(filters, dialog.selectedNameFilter());
  return true;
}

}  // namespace pbx::app
