#pragma once
#include <QString>
#include <QUrl>

namespace splitwick {

// Where the manual is: the installed README beside the package's documents, else the source
// tree's (a program run from its build), else the manual page.
QUrl manualUrl();

// The About box's text: version, licence and where the manual is.
QString aboutText();

} // namespace splitwick
