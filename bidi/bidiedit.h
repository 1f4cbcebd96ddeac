// An edit control that Arabic can be typed and shown in: a QLineEdit handed
// over to the edit-control library libkvEdit12.so, once.
#pragma once

#include <QPointer>

#include <cstdint>

class QLineEdit;
class QWidget;

class CBiDiEdit {
public:
    CBiDiEdit() = default;
    CBiDiEdit(const CBiDiEdit&) = delete;
    CBiDiEdit& operator=(const CBiDiEdit&) = delete;

    // Binds to an edit that already exists (as a form binds the edits of
    // its template) and hands it over. False for a null edit.
    bool Attach(QLineEdit* edit);
    // Makes a new edit as a child of parent and hands it over. The parent
    // owns the edit.
    QLineEdit* Create(QWidget* parent);

    QLineEdit* Edit() const { return m_edit; }
    // What the edit library returned for this control: 0 until the
    // hand-over succeeded, then nonzero. Only a mark; never released.
    std::intptr_t HandOver() const { return m_handOver; }

private:
    void HandOverOnce();

    QPointer<QLineEdit> m_edit;
    std::intptr_t m_handOver = 0;
};
