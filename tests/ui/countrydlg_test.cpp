// The country form: the method list, the name's refusals, and the Arabic
// layout. Beeps and message boxes are answered by CRecordingMessages.
#include "pickerdriver.h"

#include "../gps/recordingmessages.h"

#include <algorithm>

namespace {

using namespace Controls::Country;

TEST(CountryForm, EnglishMethodsAreSortedByTextAndAnUnknownCodeSelectsNothing)
{
    CCountryDlg form;
    form.m_strName = u"Egypt"_s;
    form.m_sMethod = 7; // codes run from 0 to 4
    RunModal<CCountryDlg>(form, [&](CCountryDlg* f) {
        QStringList entries;
        for (int i = 0; i < f->MethodCombo()->count(); ++i)
            entries << f->MethodCombo()->itemText(i);
        // The methods as the host's documentation names them, by code:
        // 4, 1, 2, 3, 0.
        EXPECT_EQ(entries, QStringList({"Egyptian General Authority of Survey", "Islamic Society Of North America",
                                        "Muslim World League", "Umm Al-Qura University", "Univ. Of Islamic Sciences, Karachi"}));
        EXPECT_EQ(f->MethodCombo()->currentIndex(), -1);
        EXPECT_EQ(f->windowTitle(), u"Country Data"_s);
        SaveScreenshot(f, u"countryform-english"_s);
        Press(f, kOKButton);
    });
    EXPECT_EQ(form.m_sMethod, -1) << "OK with nothing selected stores the list's -1";
    RunModal<CCountryDlg>(form, [](CCountryDlg* f) {
        f->MethodCombo()->setCurrentIndex(0);
        Press(f, kOKButton);
    });
    EXPECT_EQ(form.m_sMethod, 4) << "the first entry is the Egyptian survey, code 4";
}

TEST(CountryForm, EmptyAndOverlongNamesAreRefusedWithTheFormKeptOpen)
{
    CRecordingMessages messages;
    CCountryDlg form;
    const QString fifty(50, u'x');
    EXPECT_EQ(RunModal<CCountryDlg>(form, [&](CCountryDlg* f) {
        f->MethodCombo()->setFocus();
        Press(f, kOKButton);
        EXPECT_TRUE(f->isVisible()) << "empty name refused";
        EXPECT_EQ(std::tuple(messages.beeps, messages.shown.size(), f->focusWidget()), std::tuple(1, 0, f->NameEdit())) << "a beep, no box";

        QTest::keyClicks(f->NameEdit(), fifty + u'y');
        Press(f, kOKButton);
        EXPECT_TRUE(f->isVisible()) << "51 characters refused";
        ASSERT_EQ(messages.shown.size(), 1);
        EXPECT_EQ(std::tuple(messages.shown[0].text, messages.shown[0].icon), std::tuple(u"Please enter no more than 50 characters."_s, QMessageBox::Warning));
        EXPECT_EQ(f->NameEdit()->text(), fifty + u'y') << "left for the user to shorten";
        f->NameEdit()->setText(fifty);
        Press(f, kOKButton);
    }), CCountryDlg::kOK);
    EXPECT_EQ(form.m_strName, fifty);
    EXPECT_EQ(messages.shown.size(), 1);

    RunModal<CCountryDlg>(form, [](CCountryDlg* f) {
        f->NameEdit()->setText(u"   "_s); // blanks are a name
        Press(f, kOKButton);
    });
    EXPECT_EQ(form.m_strName, u"   "_s);
    EXPECT_EQ(messages.beeps, 1);
}

TEST(CountryForm, ArabicShowsShapedMethodsAndSwapsTheButtons)
{
    CCountryDlg form;
    form.m_bArabic = 1;
    form.m_strName = u"مصر"_s;
    form.m_sMethod = 3;
    RunModal<CCountryDlg>(form, [&](CCountryDlg* f) {
        QComboBox* methods = f->MethodCombo();
        ASSERT_EQ(methods->count(), 5);
        // Each entry is its code's shaped label, and the list is sorted as
        // the letters read: by the unshaped names.
        QStringList plain;
        for (int i = 0; i < methods->count(); ++i) {
            const QByteArray key = "method." + QByteArray::number(methods->itemData(i).toInt());
            EXPECT_EQ(methods->itemText(i), Shaped(key.constData()));
            plain << ArabicLabel(key.constData());
        }
        EXPECT_TRUE(std::is_sorted(plain.begin(), plain.end())) << plain.join(u'|').toStdString();
        EXPECT_EQ(methods->currentData().toInt(), 3);
        EXPECT_LT(FindControl(f, kCancelButton)->geometry().right() + 1, FindControl(f, kOKButton)->x()) << "Cancel stands left of OK, apart";
        EXPECT_EQ(f->windowTitle(), ArabicLabel("title.countryData"));
        ExpectShaped(f, {{kCancelButton, "form.cancel"}, {kNameLabel, "country.name"}, {kMethodLabel, "country.method"}, {kGroup, "country.group"}});
        EXPECT_LT(methods->geometry().bottom(), FindControl(f, kOKButton)->y()) << "the closed list clears the buttons";
        EXPECT_EQ(f->NameEdit()->layoutDirection(), Qt::RightToLeft);
        SaveScreenshot(f, u"countryform-arabic"_s);
        Press(f, kOKButton);
    });
    EXPECT_EQ(form.m_sMethod, 3);
    EXPECT_EQ(form.m_strName, u"مصر"_s);
}

} // namespace
