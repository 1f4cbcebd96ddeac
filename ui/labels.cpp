#include "labels.h"

#include "bidi/shapetext.h"
#include "dialogtemplate.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

QString ArabicLabel(const char* key)
{
    static const QJsonObject labels = [] {
        tagDialogTemplate::Load(0); // makes sure the resources are registered
        QFile file(QStringLiteral(":/terrafind/labels.json"));
        file.open(QIODevice::ReadOnly);
        return QJsonDocument::fromJson(file.readAll()).object();
    }();
    return labels.value(QLatin1String(key)).toString();
}

QString DisplayLabel(const char* english, const char* key, int arabic)
{
    QString shaped;
    ShapeText(arabic ? ArabicLabel(key) : QString::fromUtf8(english), shaped, arabic);
    return shaped;
}

QString ArabicDisplayLabel(const char* key)
{
    return DisplayLabel(nullptr, key, 1);
}
