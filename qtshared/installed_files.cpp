#include "qtshared/installed_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString installed_file(const QString& relative) {
    // Before the application object exists the program's folder is unknown.
    if (!QCoreApplication::instance()) return {};
    QString path = QDir::cleanPath(QCoreApplication::applicationDirPath() + "/" +
                                   VOSTREL_INSTALLED_DATA + "/" + relative);
    return QFileInfo::exists(path) ? path : QString();
}
