// A warning in a message box that does not block the event loop: the program goes on
// while the box is open.
#pragma once

#include <QMessageBox>
#include <QString>

inline void show_warning(QWidget* parent, const QString& title, const QString& text) {
    auto* box = new QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
