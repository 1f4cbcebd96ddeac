// The places whose names start with the words of query, most populous
// first, at most limit of them: search as the user types.
#pragma once

#include "placelistmodel.h"

class CPlaceSearchModel : public CPlaceListModel {
    Q_OBJECT
    QML_NAMED_ELEMENT(PlaceSearchModel)
    Q_PROPERTY(QString query READ Query WRITE SetQuery NOTIFY queryChanged)
    Q_PROPERTY(int limit READ Limit WRITE SetLimit NOTIFY limitChanged)
public:
    explicit CPlaceSearchModel(QObject* parent = nullptr) : CPlaceListModel(parent) {}

    QString Query() const { return m_query; }
    void SetQuery(const QString& query);
    int Limit() const { return m_limit; }
    void SetLimit(int limit);

signals:
    void queryChanged();
    void limitChanged();

protected:
    // Runs on every keystroke, on the GUI thread: one search of the index
    // takes well under a millisecond, so it needs no thread of its own.
    int Load(CTerrafind* backEnd) override;
    tagPlaceRow Row(int row) const override { return m_rows.value(row); }

private:
    QString m_query;
    int m_limit = 10;
    QList<tagPlaceRow> m_rows;
};
