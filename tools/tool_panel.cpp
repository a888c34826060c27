#include "tools/tool_panel.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QVBoxLayout>

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
