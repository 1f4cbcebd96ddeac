// How a picker page hears that the user chose a row of one of its lists.
#pragma once

#include <QObject>

#include <functional>

class QTreeWidget;

// Turns every change of a list's highlighted row into one call, and so does
// a tap that changes nothing (a tap on the highlighted row, or below the
// rows), as a tap always was a choice. Nothing is called while *quiet
// holds. Owned by the list.
class CChoiceWatcher : public QObject {
public:
    CChoiceWatcher(QTreeWidget* list, const bool* quiet, std::function<void()> chosen);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const bool* m_quiet;
    std::function<void()> m_chosen;
    bool m_changedInTap = true;
};
