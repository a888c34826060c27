#include "qtshared/file_buttons.h"

#include "qtshared/icons.h"

#include <QBoxLayout>
#include <QGroupBox>
#include <QPushButton>

FileButtons file_buttons(const QString& load_text, Qt::Orientation orientation) {
    FileButtons b;
    b.group = new QGroupBox("File:");
    auto* layout = new QBoxLayout(
        orientation == Qt::Horizontal ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom, b.group);
    b.load = new QPushButton(load_icon("icons/fileopen.xpm"), load_text);
    b.load->setObjectName("open");
    b.save = new QPushButton(load_icon("icons/filesave.xpm"), "Save");
    b.save->setObjectName("save");
    layout->addWidget(b.load);
    layout->addWidget(b.save);
    return b;
}
