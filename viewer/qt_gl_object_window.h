// QtGLObjectWindow: the main window's central frame, a sunken panel around the view.
#pragma once

#include <QWidget>

class QtGLWidget;

class QtGLObjectWindow : public QWidget {
  public:
    QtGLObjectWindow(QWidget* parent = nullptr, const char* name = nullptr);

    QtGLWidget* glbox1;
};
