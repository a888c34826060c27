#include "qtshared/icons.h"
#include "qtshared/installed_files.h"

#include <QFileInfo>

static void register_built_in_icons() {
    Q_INIT_RESOURCE(icons);
}

QIcon load_icon(const QString& path) {
    static bool registered = (register_built_in_icons(), true);
    (void)registered;
    if (QFileInfo::exists(path)) return QIcon(path);
    if (QString installed = installed_file(path); !installed.isEmpty()) return QIcon(installed);
    QString built_in = ":/icons/" + QFileInfo(path).fileName();
    return QFileInfo::exists(built_in) ? QIcon(built_in) : QIcon();
}
