// The "File:" group of the light page and the clipping page: a load button (icon
// "icons/fileopen.xpm", object name "open") and a save button ("icons/filesave.xpm",
// "save"), in a row or a column.
#pragma once

#include <QString>

class QGroupBox;
class QPushButton;

struct FileButtons {
    QGroupBox* group;
    QPushButton* load;
    QPushButton* save;
};

FileButtons file_buttons(const QString& load_text, Qt::Orientation orientation);
