#pragma once
// The file dialog of both text dialogs' "参照" buttons: text files first, the default
// extension "txt", starting at the name already given.
#include <QString>

class QWidget;

// Asks for a file to write (confirming before an existing one is replaced) or to read;
// an empty string when the user cancels.
QString BrowseTextFile(QWidget* parent, bool forWriting, const QString& current);
