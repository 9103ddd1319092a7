#include "DisabledWhile.h"

DisabledWhile::DisabledWhile(std::initializer_list<QWidget*> widgets) : m_widgets(widgets.begin(), widgets.end())
{
    for (QWidget* w : widgets) {
        w->setEnabled(false);
    }
}

DisabledWhile::~DisabledWhile()
{
    for (const QPointer<QWidget>& w : m_widgets) {
        if (w) {
            w->setEnabled(true);
        }
    }
}
