#include "qtshared/icons.h"

#include <QFileInfo>

static void register_built_in_icons() {
    Q_INIT_RESOURCE(icons);
}

QIcon load_icon(const QString& path) {
    static bool registered = (register_built_in_icons(), true);
    (void)registered;
    if (QFileInfo::exists(path)) return QIcon(path);
    QString built_in = ":/icons/" + QFileInfo(path).fileName();
    return QFileInfo::exists(built_in) ? QIcon(built_in) : QIcon();
}
