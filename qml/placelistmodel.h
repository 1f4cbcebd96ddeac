// What the module's list models share: the roles a place has in QML, the
// count and get() that views and scripts use, and the arabic switch.
// Loading waits until QML has set every property, so a model declared
// with arabic: true reads its rows once, in Arabic.
#pragma once

#include <terrafind/terrafind.h>

#include <QAbstractListModel>
#include <QQmlParserStatus>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

// One row as QML sees it. Names are in the model's language where the
// place has a name in it; latitude and longitude are signed degrees.
struct tagPlaceRow {
    std::uint32_t cityId = 0;
    QString name;
    QString arabicName;
    QString division;
    std::uint32_t countryId = 0;
    QString countryName;
    qint64 population = 0;
    QString zone;
    double latitude = 0;
    double longitude = 0;
};

class CPlaceListModel : public QAbstractListModel, public QQmlParserStatus {
    Q_OBJECT
    Q_INTERFACES(QQmlParserStatus)
    QML_ANONYMOUS
    Q_PROPERTY(int count READ Count NOTIFY countChanged)
    Q_PROPERTY(bool arabic READ Arabic WRITE SetArabic NOTIFY arabicChanged)
public:
    enum Role {
        kCityId = Qt::UserRole + 1,
        kName,
        kArabicName,
        kDivision,
        kCountryId,
        kCountryName,
        kPopulation,
        kZone,
        kLatitude,
        kLongitude,
    };

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // Every role of a row by its name; empty for a row that is not there.
    Q_INVOKABLE QVariantMap get(int row) const;

    int Count() const { return rowCount(); }
    bool Arabic() const { return m_arabic; }
    void SetArabic(bool arabic);

    void classBegin() override {}
    void componentComplete() override;

signals:
    void countChanged();
    void arabicChanged();

protected:
    explicit CPlaceListModel(QObject* parent) : QAbstractListModel(parent) {}

    // The rows of the model as it is set now, read through back end; the
    // model holds no row while back end is null.
    virtual int Load(CTerrafind* backEnd) = 0;
    // Row row of those Load counted, read as late as a view asks for it.
    virtual tagPlaceRow Row(int row) const = 0;
    // Reads the rows again after a property changed; nothing before QML
    // has set them all.
    void Reload();

    // A city row as the back end and the city's details give it.
    static tagPlaceRow CityRow(const CCity& city, const tagCityDetails& details, bool arabic);

    CTerrafind* BackEnd() const;

private:
    static QVariant Value(const tagPlaceRow& row, int role);

    bool m_arabic = false;
    bool m_complete = false;
    int m_count = 0;
};
