#include "qtshared/start_folder.h"
#include "qtshared/installed_files.h"

#include <QDir>

QString dialog_start_folder(const QString& folder) {
    QDir here = QDir::current();
    return here.exists(folder) ? here.filePath(folder) : here.path();
}

QString data_start_folder(const QString& folder, const QString& bundled) {
    if (QDir::current().exists(folder)) return QDir::current().filePath(folder);
    if (QString installed = installed_file("data/" + bundled); !installed.isEmpty())
        return installed;
    QString copy = QString(VOSTREL_DATA_DIR) + "/" + bundled;
    return QDir(copy).exists() ? copy : QDir::currentPath();
}
