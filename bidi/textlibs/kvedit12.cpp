#include "kvedit12.h"

#include <QEvent>
#include <QLineEdit>

namespace {

// Keeps an edit's alignment on the side its reading order starts from.
// Qt aligns a line edit by the direction of the text it holds, so a number
// in an Arabic form would sit on the left; the edit library aligns by the
// control's own reading order instead.
class CReadingOrderAlignment : public QObject {
public:
    explicit CReadingOrderAlignment(QLineEdit* edit) : QObject(edit), m_edit(edit)
    {
        setObjectName(ObjectName());
        Align();
        edit->installEventFilter(this);
    }

    static QString ObjectName() { return QStringLiteral("kvEdit12"); }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_edit && event->type() == QEvent::LayoutDirectionChange)
            Align();
        return false;
    }

private:
    void Align()
    {
        const Qt::Alignment side = m_edit->layoutDirection() == Qt::RightToLeft ? Qt::AlignRight
                                                                                : Qt::AlignLeft;
        const Qt::Alignment vertical = m_edit->alignment() & Qt::AlignVertical_Mask;
        m_edit->setAlignment(side | Qt::AlignAbsolute | vertical);
    }

    QLineEdit* m_edit;
};

} // namespace

std::intptr_t KvEditAttach(QWidget* widget)
{
    auto* edit = qobject_cast<QLineEdit*>(widget);
    if (edit == nullptr)
        return 0;
    auto* equipped = edit->findChild<QObject*>(CReadingOrderAlignment::ObjectName(),
                                               Qt::FindDirectChildrenOnly);
    if (equipped == nullptr) {
        edit->setCursorMoveStyle(Qt::VisualMoveStyle);
        equipped = new CReadingOrderAlignment(edit);
    }
    return reinterpret_cast<std::intptr_t>(equipped);
}
