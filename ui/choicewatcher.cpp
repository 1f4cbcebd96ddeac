#include "choicewatcher.h"

#include <QEvent>
#include <QTreeWidget>

CChoiceWatcher::CChoiceWatcher(QTreeWidget* list, const bool* quiet, std::function<void()> chosen)
    : QObject(list), m_quiet(quiet), m_chosen(std::move(chosen))
{
    list->viewport()->installEventFilter(this);
    connect(list, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (*m_quiet)
            return;
        m_changedInTap = true;
        m_chosen();
    });
}

bool CChoiceWatcher::eventFilter(QObject*, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        m_changedInTap = false;
    } else if (event->type() == QEvent::MouseButtonRelease) {
        if (!m_changedInTap && !*m_quiet)
            m_chosen();
        m_changedInTap = true; // a release without its press is no tap
    }
    return false;
}
