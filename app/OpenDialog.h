// The open-file dialog of the main window: Qt's own dialog (the same on
// every platform) with settings that survive from one showing to the next.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace pbx::app {

// Turns "text|pattern|text|pattern" into Qt name filters. Qt shows only the
// text part (the dialog hides the details), and "*.*" becomes "*" because on
// this platform "*.*" would skip names without a dot.
QStringList QtNameFilters(const QString& pairs);

class TOpenDialog {
 public:
  QString Filter = QStringLiteral("PBX files (*.pbx)|*.pbx|*.*|*.*");
  int FilterIndex = 1;  // from 1, as in the filter pairs
  QString DefaultExt = QStringLiteral("VCT");
  // The name field's start; after an accepted dialog, the chosen path.
  QString FileName;

  // Shows the dialog modally; true when a file was accepted. A cancel
  // changes neither FileName nor FilterIndex.
  bool Execute(QWidget* parent);
};

}  // namespace pbx::app
