#include "countrydlg.h"

#include "common/usermessages.h"
#include "dialogtemplate.h"
#include "labels.h"
#include "pickercolours.h"
#include "resources/controlids.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QAbstractItemView>

namespace {

using namespace Controls::Country;

// The calculation methods by code.
constexpr const char* kEnglishMethods[] = {
    "Univ. Of Islamic Sciences, Karachi",
    "Islamic Society Of North America",
    "Muslim World League",
    "Umm Al-Qura University",
    "Egyptian General Authority of Survey",
};
constexpr const char* kArabicMethodKeys[] = {"method.0", "method.1", "method.2", "method.3", "method.4"};

// The order of a sorted list box: case-insensitive, and Arabic presentation
// forms compared as the letters they show, so that shaped names sort as
// their unshaped spelling would.
bool SortsBefore(const QString& a, const QString& b)
{
    return QString::compare(a.normalized(QString::NormalizationForm_KC),
                            b.normalized(QString::NormalizationForm_KC), Qt::CaseInsensitive)
        < 0;
}

} // namespace

CCountryDlg::CCountryDlg(QWidget* parent) : CModalDialog(parent)
{
    const tagDialogTemplate form = tagDialogTemplate::Load(kTemplate);
    setWindowTitle(form.caption);
    BuildDialog(this, form);
    FitToControls(this); // the template leaves its bottom third empty
    m_name.Attach(FindControl<QLineEdit>(this, kNameEdit));
    m_methods = FindControl<QComboBox>(this, kMethodCombo);
    if (auto* ok = FindControl<QPushButton>(this, kOKButton)) {
        ok->setDefault(true);
        connect(ok, &QPushButton::clicked, this, &CCountryDlg::OnOK);
    }
    if (auto* cancel = FindControl<QPushButton>(this, kCancelButton))
        connect(cancel, &QPushButton::clicked, this, &CCountryDlg::reject);
}

void CCountryDlg::OnInitDialog()
{
    if (QLineEdit* name = m_name.Edit())
        name->setText(m_strName);
    if (m_bArabic)
        SetUpArabic();
    else
        SetUpEnglish();
    if (m_methods)
        m_methods->setCurrentIndex(m_methods->findData(int(m_sMethod))); // -1 for an unknown code
    ApplyPickerColours(this);
    NameControls(this, m_bArabic, {{kNameEdit, "Name", "city.name"}, {kMethodCombo, "Calculation Method", "a11y.method"},
                                   {kOKButton, "OK", "form.ok"}, {kCancelButton, "Cancel", "form.cancel"}});
}

void CCountryDlg::SetUpEnglish()
{
    for (QWidget* widget : {FindControl(this, kNameEdit), FindControl(this, kNameLabel),
                            FindControl(this, kMethodLabel), FindControl(this, kGroup)})
        if (widget)
            widget->setLayoutDirection(Qt::LeftToRight);
    if (auto* label = FindControl<QLabel>(this, kNameLabel)) {
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setText(QStringLiteral("Name :"));
    }
    if (auto* label = FindControl<QLabel>(this, kMethodLabel)) {
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setText(QStringLiteral("Calculation Method :"));
    }
    if (auto* group = FindControl<QGroupBox>(this, kGroup)) {
        group->setAlignment(Qt::AlignLeft);
        group->setTitle(QStringLiteral("Country Data"));
    }
    QStringList texts;
    for (const char* text : kEnglishMethods)
        texts.append(QString::fromLatin1(text));
    FillMethods(texts);
}

void CCountryDlg::SetUpArabic()
{
    setWindowTitle(PlainLabel("", "title.countryData", 1));
    // Cancel and OK change sides: Cancel at the left margin and OK beside
    // it, where the form put them at 11 and 92 pixels on the screen it was
    // drawn for (13 pixels to 8 dialog units).
    auto* ok = FindControl<QPushButton>(this, kOKButton);
    auto* cancel = FindControl<QPushButton>(this, kCancelButton);
    if (ok && cancel) {
        const QSize base = DialogBaseUnits(DialogFont());
        const QRect okRect = ok->geometry();
        // The template's gap between the buttons stays between them.
        const int gap = cancel->x() - (okRect.x() + okRect.width());
        const int cancelLeft = DialogUnitsToPixels(QRect(7, 0, 0, 0), base).x();
        const int okLeft = cancelLeft + okRect.width() + gap;
        cancel->setGeometry(cancelLeft, okRect.top(), okRect.width(), okRect.height());
        ok->setGeometry(okLeft, okRect.top(), okRect.width(), okRect.height());
        cancel->setText(ArabicDisplayLabel("form.cancel"));
        ok->setText(ArabicDisplayLabel("form.ok"));
    }
    // Right-aligned whatever the reading direction (a right-to-left widget
    // would otherwise take AlignRight as its leading edge).
    constexpr Qt::Alignment kRight = Qt::AlignRight | Qt::AlignAbsolute;
    if (QLineEdit* name = m_name.Edit()) {
        name->setLayoutDirection(Qt::RightToLeft);
        name->setAlignment(kRight);
    }
    if (auto* label = FindControl<QLabel>(this, kNameLabel)) {
        label->setLayoutDirection(Qt::RightToLeft);
        label->setAlignment(kRight | Qt::AlignTop);
        label->setText(ArabicDisplayLabel("country.name"));
    }
    if (auto* label = FindControl<QLabel>(this, kMethodLabel)) {
        label->setLayoutDirection(Qt::RightToLeft);
        label->setAlignment(kRight | Qt::AlignTop);
        label->setText(ArabicDisplayLabel("country.method"));
    }
    if (auto* group = FindControl<QGroupBox>(this, kGroup)) {
        group->setLayoutDirection(Qt::RightToLeft);
        group->setAlignment(Qt::AlignLeading); // the right of a right-to-left box
        group->setTitle(ArabicDisplayLabel("country.group"));
    }
    if (m_methods)
        m_methods->setLayoutDirection(Qt::RightToLeft);
    QStringList texts;
    for (const char* key : kArabicMethodKeys)
        texts.append(ArabicDisplayLabel(key));
    FillMethods(texts);
    // The dropped-down items read from the right as the closed box does:
    // the list drops down in a window of its own, which the box's direction
    // does not reach, and the items say their alignment.
    if (!m_methods)
        return;
    m_methods->view()->window()->setLayoutDirection(Qt::RightToLeft);
    m_methods->setItemDelegate(new QStyledItemDelegate(m_methods));
    for (int i = 0; i < m_methods->count(); ++i) {
        m_methods->setItemData(i, int(Qt::AlignRight | Qt::AlignAbsolute | Qt::AlignVCenter), Qt::TextAlignmentRole);
        m_methods->setItemData(i, UnshapedText(m_methods->itemText(i)), Qt::AccessibleTextRole);
    }
}

void CCountryDlg::FillMethods(const QStringList& texts)
{
    if (!m_methods)
        return;
    m_methods->clear();
    for (int code = 0; code < texts.size(); ++code) {
        int at = 0;
        while (at < m_methods->count() && !SortsBefore(texts[code], m_methods->itemText(at)))
            ++at;
        m_methods->insertItem(at, texts[code], code);
    }
}

void CCountryDlg::OnOK()
{
    QLineEdit* name = m_name.Edit();
    if (!name)
        return;
    if (name->text().isEmpty()) {
        // The platform's asterisk beep; Linux has the one beep for all kinds.
        CUserMessages::Current().StopBeep();
        name->setFocus();
        return;
    }
    m_sMethod = std::int16_t(m_methods && m_methods->currentIndex() >= 0 ? m_methods->currentData().toInt() : -1);
    if (name->text().size() > kMaxName) {
        CUserMessages::Current().Show(this, CUserMessages::Warning, QString(),
                                      DisplayLabel("Please enter no more than %1 characters.", "message.tooLong",
                                                   m_bArabic).arg(kMaxName));
        name->setFocus();
        name->selectAll();
        return;
    }
    m_strName = name->text();
    Accept();
}
