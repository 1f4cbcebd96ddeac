#include "labels.h"

#include "bidi/shapetext.h"
#include "dialogtemplate.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QTreeWidget>
#include <QWidget>

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

QString DisplayMessage(const char* english, const char* key, int arabic, const QString& name)
{
    const QString text = DisplayLabel(english, key, arabic);
    if (!text.contains(QLatin1String("%1")))
        return text;
    // First strong isolate ... pop directional isolate.
    return text.arg(QChar(0x2068) + name + QChar(0x2069));
}

QString PlainLabel(const char* english, const char* key, int arabic)
{
    return arabic ? ArabicLabel(key) : QString::fromUtf8(english);
}

QString UnshapedText(const QString& shaped)
{
    // Compatibility decomposition maps the presentation forms (lam-alef
    // ligatures included) back to the letters they show.
    return shaped.normalized(QString::NormalizationForm_KC);
}

void NameControls(QWidget* parent, int arabic, std::initializer_list<tagAccessibleText> names)
{
    for (const tagAccessibleText& name : names) {
        QWidget* control = FindControl(parent, name.id);
        if (!control)
            continue;
        control->setAccessibleName(PlainLabel(name.english, name.key, arabic));
        // A list's hidden header is still announced: as the list's name
        // rather than as a column number.
        if (auto* list = qobject_cast<QTreeWidget*>(control))
            list->headerItem()->setText(0, control->accessibleName());
    }
    // Labels, titles and buttons left are read by their text, unshaped.
    for (QWidget* control : parent->findChildren<QWidget*>()) {
        if (!control->accessibleName().isEmpty())
            continue;
        QString text;
        if (const auto* label = qobject_cast<QLabel*>(control))
            text = label->text();
        else if (const auto* group = qobject_cast<QGroupBox*>(control))
            text = group->title();
        else if (const auto* button = qobject_cast<QAbstractButton*>(control))
            text = button->text();
        if (UnshapedText(text) != text)
            control->setAccessibleName(UnshapedText(text));
    }
}
