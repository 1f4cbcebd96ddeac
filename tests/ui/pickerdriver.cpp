#include "pickerdriver.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStyle>
#include <QStyleOptionGroupBox>

namespace {

// Set before any test runs, so that no sheet a test closes writes the
// real user's settings.
const struct tagSettingsFolder {
    QTemporaryDir dir;
    tagSettingsFolder() { KeepSettingsIn(); }
} g_settings;

} // namespace

void KeepSettingsIn(const QString& dir)
{
    const QString path = dir.isEmpty() ? g_settings.dir.path() : dir;
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, path);
}

void SaveScreenshot(QWidget* widget, const QString& name)
{
    QDir().mkpath(TERRAFIND_BINARY_DIR "/screenshots"_L1);
    widget->grab().save(TERRAFIND_BINARY_DIR "/screenshots/"_L1 + name + ".png"_L1);
}

void TapRow(QTreeWidget* list, int row)
{
    QTreeWidgetItem* item = list->topLevelItem(row);
    ASSERT_NE(item, nullptr) << row;
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

void TapTab(CCityPropSheet* sheet, int tab)
{
    QTest::mouseClick(sheet->Tabs()->tabBar(), Qt::LeftButton, {}, sheet->Tabs()->tabBar()->tabRect(tab).center());
}

QStringList RowTexts(const QTreeWidget* list, bool selectedOnly)
{
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (!selectedOnly || list->topLevelItem(i)->isSelected())
            texts.append(list->topLevelItem(i)->text(0));
    return texts;
}

void ExpectShaped(const QWidget* parent, std::initializer_list<std::pair<int, const char*>> labels)
{
    for (const auto& [id, key] : labels) {
        const auto* group = FindControl<QGroupBox>(parent, id);
        EXPECT_EQ(group ? group->title() : FindControl(parent, id)->property("text").toString(), Shaped(key)) << key;
        if (!group)
            continue;
        // The style's title rectangle ends at the box's right edge, within its margin.
        QStyleOptionGroupBox option;
        option.initFrom(group);
        option.text = group->title();
        option.textAlignment = group->alignment();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        const QRect title = group->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, group);
        EXPECT_TRUE(title.x() > group->width() / 2 && title.right() > group->width() - 16) << key << " title at the right";
    }
}

namespace {

using namespace Controls::City;
constexpr int kNumberEdits[] = {kTimeZoneEdit, kLonDegreeEdit, kLonMinuteEdit, kLatDegreeEdit, kLatMinuteEdit};

} // namespace

void TypeCity(CCityDlg* form, const QString& values)
{
    const QStringList v = values.split(u',');
    for (int i = 0; const int id : kNumberEdits)
        form->Edit(id)->setText(v[i++]);
    form->Radio(v[5] == "E"_L1 ? kEast : kWest)->setChecked(true);
    form->Radio(v[6] == "N"_L1 ? kNorth : kSouth)->setChecked(true);
}

QString ShownCity(const CCityDlg* form)
{
    QStringList v;
    for (const int id : kNumberEdits)
        v << form->Edit(id)->text();
    v << (form->Radio(kEast)->isChecked() ? u"E"_s : form->Radio(kWest)->isChecked() ? u"W"_s : u"?"_s);
    v << (form->Radio(kNorth)->isChecked() ? u"N"_s : form->Radio(kSouth)->isChecked() ? u"S"_s : u"?"_s);
    return v.join(u',');
}

PlaceCopy::PlaceCopy() : m_file(m_dir.filePath(u"KVCities"_s))
{
    QFile::copy(TERRAFIND_SOURCE_DIR "/data/KVCities"_L1, m_file);
    QFile::setPermissions(m_file, QFile::ReadOwner | QFile::WriteOwner);
    KeepSettingsIn(m_dir.filePath(u"settings"_s));
    qputenv("TERRAFIND_DB", m_file.toLocal8Bit());
    EXPECT_EQ(m_places.Init(), 1);
}

std::uint32_t PlaceCopy::ID(const char* table, const QString& name)
{
    const QString query = u"SELECT ID FROM %1 WHERE name = '%2'"_s.arg(QLatin1String(table), QString(name).replace(u'\'', "''"_L1));
    std::uint32_t id = 0;
    EXPECT_EQ(m_places.CheckCountryExisting(query, &id), S_OK) << qPrintable(query);
    return id;
}

CCity PlaceCopy::City(const QString& name)
{
    CCity city;
    EXPECT_EQ(m_places.GetCity(ID("City", name), &city), S_OK);
    return city;
}

QStringList PlaceCopy::Countries(tagPlace place)
{
    QStringList names;
    QList<unsigned int> ids;
    m_places.GetCountries(place.X(), place.Y(), &names, &ids);
    return names;
}

QStringList PlaceCopy::Cities(const QString& country)
{
    QStringList names;
    QList<unsigned int> ids;
    m_places.GetCities(ID("Country", country), &names, &ids);
    return names;
}

int PlaceCopy::ShowOnCairo(int arabic, std::function<void(CCityPropSheet*)> step)
{
    CCity city = City(u"Cairo"_s);
    WhenShown<CCityPropSheet>(std::move(step));
    return m_places.Show(&city, arabic);
}
