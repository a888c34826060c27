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
    // The installation and the program keep every icon in one folder, whatever folder
    // the name gives.
    QString name = QFileInfo(path).fileName();
    if (QString installed = installed_file("icons/" + name); !installed.isEmpty())
        return QIcon(installed);
    QString built_in = ":/icons/" + name;
    return QFileInfo::exists(built_in) ? QIcon(built_in) : QIcon();
}
