// Icons are image files read at run time from the working folder, else from the
// installation's data folder; where neither has the file, the copy built into the
// program stands in.
#pragma once

#include <QIcon>
#include <QString>

QIcon load_icon(const QString& path);
