#pragma once

#include <QPointer>
#include <QWidget>
#include <initializer_list>
#include <vector>

// Disables widgets for the lifetime of the object and enables them again on every way out.
class DisabledWhile
{
public:
    explicit DisabledWhile(std::initializer_list<QWidget*> widgets);
    ~DisabledWhile();
    DisabledWhile(const DisabledWhile&) = delete;
    DisabledWhile& operator=(const DisabledWhile&) = delete;

private:
    std::vector<QPointer<QWidget>> m_widgets;
};
