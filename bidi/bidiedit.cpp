#include "bidiedit.h"

#include "bidi/textlibs/kvedit12.h"

#include <QLineEdit>

bool CBiDiEdit::Attach(QLineEdit* edit)
{
    if (edit == nullptr)
        return false;
    m_edit = edit;
    HandOverOnce();
    return true;
}

QLineEdit* CBiDiEdit::Create(QWidget* parent)
{
    m_edit = new QLineEdit(parent);
    HandOverOnce();
    return m_edit;
}

void CBiDiEdit::HandOverOnce()
{
    // A control whose hand-over failed is offered again when it is bound or
    // made next time; one that succeeded is never handed over twice.
    if (m_handOver == 0)
        m_handOver = KvEditAttach(m_edit);
}
