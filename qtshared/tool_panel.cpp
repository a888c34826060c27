#include "qtshared/tool_panel.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QVBoxLayout>

ToolPanel::ToolPanel(QWidget* parent, const char* name) : QWidget(parent) {
    if (name) setObjectName(name);
}

QBoxLayout* tool_panel_layout(QWidget* panel) {
    auto* outer = new QVBoxLayout(panel);
    outer->setObjectName("smoothertab_blayout");
    outer->setContentsMargins(10, 10, 10, 10);
    outer->setSpacing(10);
    auto* frame = new QGroupBox;
    auto* group = new QButtonGroup(frame);
    group->setExclusive(false);
    outer->addWidget(frame, 10);
    return new QVBoxLayout(frame);
}

QSlider* tool_slider(const char* name, int minimum, int maximum, int page_step, int tick_interval,
                     int value) {
    auto* slider = new QSlider(Qt::Horizontal);
    slider->setObjectName(name);
    slider->setRange(minimum, maximum);
    slider->setPageStep(page_step);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(tick_interval);
    slider->setTracking(true);
    slider->setValue(value);
    return slider;
}

QString complete_name(const QString& name, const QString& extension) {
    if (name.size() < 4 || name[name.size() - 4] != '.') return name + extension;
    return name;
}
