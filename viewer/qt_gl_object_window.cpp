#include "viewer/qt_gl_object_window.h"

#include "viewer/qt_gl_widget.h"

#include <QBoxLayout>
#include <QFrame>

QtGLObjectWindow::QtGLObjectWindow(QWidget* parent, const char* name) : QWidget(parent) {
    if (name) setObjectName(name);
    auto* frame1 = new QFrame(this);
    frame1->setObjectName("frame1");
    frame1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    frame1->setLineWidth(2);

    glbox1 = new QtGLWidget(frame1, "glbox1", nullptr);

    auto* flayout1 = new QHBoxLayout(frame1);
    flayout1->setObjectName("flayout1");
    flayout1->setContentsMargins(1, 1, 1, 1);
    flayout1->setSpacing(0);
    flayout1->addWidget(glbox1, 1);

    auto* blayout = new QBoxLayout(QBoxLayout::LeftToRight, this);
    blayout->setObjectName("blayout");
    blayout->setContentsMargins(10, 10, 10, 10);
    blayout->setSpacing(10);
    blayout->addWidget(frame1, 10);
}
