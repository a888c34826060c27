// Icons are image files read at run time from the working folder; where the file is
// missing, the copy built into the program stands in.
#pragma once

#include <QIcon>
#include <QString>

QIcon load_icon(const QString& path);
