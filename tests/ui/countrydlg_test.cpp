// The country form: the method list, the name's refusals, and the Arabic
// layout. Beeps and message boxes are answered by CRecordingMessages.
#include "formdriver.h"
#include "pickerdriver.h"

#include "../gps/recordingmessages.h"

#include "ui/labels.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

QStringList Entries(const QComboBox* combo)
{
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts.append(combo->itemText(i));
    return texts;
}

// The method names by code, as the form and the host's documentation list them.
const char* const kMethods[] = {
    "Univ. Of Islamic Sciences, Karachi",   "Islamic Society Of North America",
    "Muslim World League",                  "Umm Al-Qura University",
    "Egyptian General Authority of Survey",
};

TEST(CountryForm, EnglishMethodsAreSortedByText)
{
    CCountryDlg form;
    form.m_strName = QStringLiteral("Egypt");
    const int result = RunForm<CCountryDlg>(form, [](CCountryDlg* f) {
        EXPECT_EQ(Entries(f->MethodCombo()),
                  QStringList({"Egyptian General Authority of Survey", "Islamic Society Of North America",
                               "Muslim World League", "Umm Al-Qura University", "Univ. Of Islamic Sciences, Karachi"}));
        EXPECT_EQ(f->MethodCombo()->currentText(), QStringLiteral("Univ. Of Islamic Sciences, Karachi"))
            << "a new country opens on code 0";
        EXPECT_EQ(FindControl<QLabel>(f, 1057)->text(), QStringLiteral("Calculation Method :"));
        EXPECT_EQ(f->windowTitle(), QStringLiteral("Country Data"));
        SaveScreenshot(f, QStringLiteral("countryform-english"));
        f->MethodCombo()->setCurrentIndex(0);
        Press(f, 1);
    });
    EXPECT_EQ(result, CCountryDlg::kOK);
    EXPECT_EQ(form.m_sMethod, 4) << "the first entry is the Egyptian survey, code 4";
    EXPECT_EQ(form.m_strName, QStringLiteral("Egypt"));
}

TEST(CountryForm, EveryMethodOpensSelectedAndIsKept)
{
    for (short code = 0; code <= 4; ++code) {
        CCountryDlg form;
        form.m_strName = QStringLiteral("Côte d'Ivoire");
        form.m_sMethod = code;
        RunForm<CCountryDlg>(form, [&](CCountryDlg* f) {
            EXPECT_EQ(f->MethodCombo()->currentText(), QLatin1String(kMethods[code])) << code;
            EXPECT_EQ(f->NameEdit()->text(), QStringLiteral("Côte d'Ivoire"));
            Press(f, 1);
        });
        EXPECT_EQ(form.m_sMethod, code);
    }
}

TEST(CountryForm, AnUnknownMethodSelectsNothing)
{
    CCountryDlg form;
    form.m_strName = QStringLiteral("Atlantis");
    form.m_sMethod = 7;
    EXPECT_EQ(RunForm<CCountryDlg>(form, [](CCountryDlg* f) {
                  EXPECT_EQ(f->MethodCombo()->currentIndex(), -1);
                  Press(f, 1);
              }),
              CCountryDlg::kOK);
    EXPECT_EQ(form.m_sMethod, -1) << "OK with nothing selected stores the list's -1";
}

TEST(CountryForm, AnEmptyNameBeepsAndKeepsTheFormOpen)
{
    CRecordingMessages messages;
    CCountryDlg form;
    const int result = RunForm<CCountryDlg>(form, [&](CCountryDlg* f) {
        f->MethodCombo()->setFocus();
        Press(f, 1);
        EXPECT_TRUE(f->isVisible()) << "refused";
        EXPECT_EQ(messages.beeps, 1);
        EXPECT_TRUE(messages.shown.isEmpty()) << "a beep, no box";
        EXPECT_EQ(f->focusWidget(), f->NameEdit());
        // A name of blanks is a name.
        QTest::keyClicks(f->NameEdit(), QStringLiteral("   "));
        Press(f, 1);
    });
    EXPECT_EQ(result, CCountryDlg::kOK);
    EXPECT_EQ(form.m_strName, QStringLiteral("   "));
}

TEST(CountryForm, ANameOfMoreThanFiftyCharactersIsRefusedWithAMessage)
{
    CRecordingMessages messages;
    CCountryDlg form;
    const QString fifty(50, QLatin1Char('x'));
    const int result = RunForm<CCountryDlg>(form, [&](CCountryDlg* f) {
        f->NameEdit()->setText(fifty + QLatin1Char('y'));
        Press(f, 1);
        EXPECT_TRUE(f->isVisible()) << "refused";
        ASSERT_EQ(messages.shown.size(), 1);
        EXPECT_EQ(messages.shown[0].text, QStringLiteral("Please enter no more than 50 characters."));
        EXPECT_EQ(messages.shown[0].icon, QMessageBox::Warning);
        EXPECT_EQ(f->NameEdit()->text(), fifty + QLatin1Char('y')) << "the text stays for the user to shorten";
        f->NameEdit()->setText(fifty);
        Press(f, 1);
    });
    EXPECT_EQ(result, CCountryDlg::kOK);
    EXPECT_EQ(form.m_strName, fifty);
    EXPECT_EQ(messages.shown.size(), 1);
}

TEST(CountryForm, CancelChangesNothing)
{
    CCountryDlg form;
    form.m_strName = QStringLiteral("Egypt");
    form.m_sMethod = 4;
    EXPECT_EQ(RunForm<CCountryDlg>(form, [](CCountryDlg* f) {
                  f->NameEdit()->setText(QStringLiteral("Misr"));
                  f->MethodCombo()->setCurrentIndex(3);
                  Press(f, 2);
              }),
              CCountryDlg::kCancel);
    EXPECT_EQ(form.m_strName, QStringLiteral("Egypt"));
    EXPECT_EQ(form.m_sMethod, 4);
}

TEST(CountryForm, ArabicShowsShapedMethodsAndSwapsTheButtons)
{
    const auto shaped = [](const char* key) { return DisplayLabel("", key, 1); };
    CCountryDlg form;
    form.m_bArabic = 1;
    form.m_strName = QStringLiteral("مصر");
    form.m_sMethod = 3;
    RunForm<CCountryDlg>(form, [&](CCountryDlg* f) {
        QComboBox* methods = f->MethodCombo();
        ASSERT_EQ(methods->count(), 5);
        for (int i = 0; i < methods->count(); ++i) {
            const int code = methods->itemData(i).toInt();
            EXPECT_EQ(methods->itemText(i), shaped(QByteArray("method.").append(char('0' + code)).constData()));
        }
        EXPECT_EQ(methods->currentData().toInt(), 3);
        EXPECT_NE(methods->itemText(0), ArabicLabel("method.0")) << "entries are shaped";
        // Sorted as the letters read, whatever their shaped forms: Arabic
        // alphabetical order of the unshaped names.
        QStringList plain;
        for (int i = 0; i < methods->count(); ++i)
            plain << ArabicLabel(QByteArray("method.").append(char('0' + methods->itemData(i).toInt())).constData());
        QStringList sorted = plain;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(plain, sorted);

        EXPECT_LT(FindControl(f, 2)->x(), FindControl(f, 1)->x()) << "Cancel stands left of OK";
        EXPECT_EQ(FindControl(f, 2)->width(), FindControl(f, 1)->width());
        EXPECT_EQ(FindControl<QPushButton>(f, 2)->text(), shaped("form.cancel"));
        EXPECT_EQ(FindControl<QLabel>(f, 1045)->text(), shaped("country.name"));
        EXPECT_EQ(FindControl<QLabel>(f, 1057)->text(), shaped("country.method"));
        EXPECT_EQ(FindControl<QGroupBox>(f, 1054)->title(), shaped("country.group"));
        EXPECT_TRUE(TitleAtTheRight(FindControl<QGroupBox>(f, 1054)));
        EXPECT_LT(f->MethodCombo()->geometry().bottom(), FindControl(f, 1)->y()) << "the closed list clears the buttons";
        EXPECT_EQ(f->NameEdit()->layoutDirection(), Qt::RightToLeft);
        SaveScreenshot(f, QStringLiteral("countryform-arabic"));
        Press(f, 1);
    });
    EXPECT_EQ(form.m_sMethod, 3);
    EXPECT_EQ(form.m_strName, QStringLiteral("مصر"));
}

} // namespace
