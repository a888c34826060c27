#include "viewer/icons.h"

#include <QFileInfo>

QIcon load_icon(const QString& path) {
    if (QFileInfo::exists(path)) return QIcon(path);
    QString built_in = ":/icons/" + QFileInfo(path).fileName();
    return QFileInfo::exists(built_in) ? QIcon(built_in) : QIcon();
}
