#include "manual.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "version.h"

namespace splitwick {

QUrl manualUrl() {
    // The installed tree is found from the program's own place, whatever its prefix.
    const QString installed =
        QCoreApplication::applicationDirPath() + "/../share/doc/splitwick/README.md";
    for (const QString& readme : {installed, QString(SPLITWICK_SOURCE_README)})
        if (QFileInfo(readme).isFile())
            return QUrl::fromLocalFile(QFileInfo(readme).canonicalFilePath());
    return QUrl("man:splitwick(1)");
}

QString aboutText() {
    const QUrl manual = manualUrl();
    const QString where = manual.isLocalFile() ? manual.toLocalFile() : manual.toString();
    return QString("Splitwick %1\n\nLicence: %2 (GNU General Public License, version 3 or "
                   "later). This is free software: you are free to change and redistribute it. "
                   "There is NO WARRANTY, to the extent permitted by law.\n\n"
                   "The manual: %3 (F1), and man splitwick.")
        .arg(Version, LicenceId, where);
}

} // namespace splitwick
