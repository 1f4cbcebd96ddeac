#include "dialogtemplate.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QIntValidator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTreeWidget>

#include <algorithm>

static void InitDialogResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace {

const char kControlId[] = "controlId";

QJsonObject AllTemplates()
{
    InitDialogResources();
    QFile file(QStringLiteral(":/terrafind/dialogs.json"));
    file.open(QIODevice::ReadOnly);
    return QJsonDocument::fromJson(file.readAll()).object();
}

QRect RectOf(const QJsonValue& value)
{
    const QJsonArray a = value.toArray();
    return QRect(a.at(0).toInt(), a.at(1).toInt(), a.at(2).toInt(), a.at(3).toInt());
}

QWidget* DefaultControl(const tagControlTemplate& control, QWidget* parent)
{
    const QString& kind = control.kind;
    if (kind == QLatin1String("static")) {
        auto* label = new QLabel(control.text, parent);
        if (control.styles.contains(QLatin1String("centre")))
            label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        else
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        if (control.styles.contains(QLatin1String("border")))
            label->setFrameShape(QFrame::Box);
        return label;
    }
    if (kind == QLatin1String("groupbox"))
        return new QGroupBox(control.text, parent);
    if (kind == QLatin1String("button"))
        return new QPushButton(control.text, parent);
    if (kind == QLatin1String("radio"))
        return new QRadioButton(control.text, parent);
    if (kind == QLatin1String("edit")) {
        auto* edit = new QLineEdit(parent);
        if (control.styles.contains(QLatin1String("digits")))
            edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
        return edit;
    }
    if (kind == QLatin1String("combobox")) {
        auto* combo = new QComboBox(parent);
        combo->setEditable(false);
        return combo;
    }
    if (kind == QLatin1String("progress")) {
        auto* progress = new QProgressBar(parent);
        progress->setTextVisible(false);
        return progress;
    }
    if (kind == QLatin1String("listview")) {
        auto* list = new QTreeWidget(parent);
        list->setHeaderHidden(true);
        list->setRootIsDecorated(false);
        list->setColumnCount(1);
        return list;
    }
    return new QWidget(parent);
}

} // namespace

tagDialogTemplate tagDialogTemplate::Load(int id)
{
    const QJsonObject object = AllTemplates().value(QString::number(id)).toObject();
    tagDialogTemplate dialog;
    if (object.isEmpty())
        return dialog;
    dialog.id = id;
    dialog.caption = object.value(QStringLiteral("caption")).toString();
    const QJsonArray size = object.value(QStringLiteral("size")).toArray();
    dialog.units = QSize(size.at(0).toInt(), size.at(1).toInt());
    for (const QJsonValue& value : object.value(QStringLiteral("controls")).toArray()) {
        const QJsonObject c = value.toObject();
        tagControlTemplate control;
        control.id = c.value(QStringLiteral("id")).toInt();
        control.kind = c.value(QStringLiteral("kind")).toString();
        control.text = c.value(QStringLiteral("text")).toString();
        control.units = RectOf(c.value(QStringLiteral("rect")));
        for (const QJsonValue& style : c.value(QStringLiteral("styles")).toArray())
            control.styles.append(style.toString());
        dialog.controls.append(control);
    }
    return dialog;
}

const tagControlTemplate* tagDialogTemplate::Control(int id) const
{
    for (const tagControlTemplate& control : controls)
        if (control.id == id)
            return &control;
    return nullptr;
}

QFont DialogFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans"), font.family()});
    font.setPointSize(8);
    return font;
}

QSize DialogBaseUnits(const QFont& font)
{
    // The average width of the Latin letters, rounded, and the font height.
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return QSize((letters / 26 + 1) / 2, metrics.height());
}

QRect DialogUnitsToPixels(const QRect& units, QSize base)
{
    const auto x = [&](int v) { return (v * base.width() + 2) / 4; };
    const auto y = [&](int v) { return (v * base.height() + 4) / 8; };
    return QRect(x(units.x()), y(units.y()), x(units.width()), y(units.height()));
}

void BuildDialog(QWidget* parent, const tagDialogTemplate& dialog, const ControlFactory& make)
{
    const QFont font = DialogFont();
    parent->setFont(font);
    const QSize base = DialogBaseUnits(font);
    // A minimum as well, so layouts holding the page (the sheet's tabs)
    // make room for the whole template.
    const QSize size = DialogUnitsToPixels(QRect(QPoint(), dialog.units), base).size();
    parent->setMinimumSize(size);
    parent->resize(size);

    // Radio buttons are exclusive within a run that starts at a "group" style.
    QButtonGroup* radios = nullptr;
    for (const tagControlTemplate& control : dialog.controls) {
        QWidget* widget = make ? make(control, parent) : nullptr;
        if (!widget)
            widget = DefaultControl(control, parent);
        SetControlID(widget, control.id);
        widget->setFont(font);
        QRect rect = DialogUnitsToPixels(control.units, base);
        // A combo box's template height includes its dropped-down list;
        // closed it is one line high, and its list sizes itself.
        if (qobject_cast<QComboBox*>(widget))
            rect.setHeight(widget->sizeHint().height());
        widget->setGeometry(rect);
        widget->setVisible(!control.styles.contains(QLatin1String("hidden")));
        widget->setEnabled(!control.styles.contains(QLatin1String("disabled")));
        if (auto* radio = qobject_cast<QRadioButton*>(widget)) {
            if (!radios || control.styles.contains(QLatin1String("group")))
                radios = new QButtonGroup(parent);
            radios->addButton(radio);
        } else {
            radios = nullptr;
        }
    }
}

namespace {

// Where the style draws a group's title taller than the template allowed,
// the group's rows would cross its frame: they move down below the title,
// the group grows with them and whatever lies below the group follows.
void ClearGroupTitles(QWidget* dialog)
{
    const auto controls = dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    const auto groups = dialog->findChildren<QGroupBox*>(Qt::FindDirectChildrenOnly);
    // How far the rows of each group must go down; groups side by side go
    // together.
    QMap<int, int> riseByTop;
    for (const QGroupBox* group : groups) {
        QStyleOptionGroupBox option;
        option.initFrom(group);
        option.text = group->title();
        option.lineWidth = 1;
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        // Where the style puts a group's contents: below its title and frame.
        const QRect inside = group->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxContents, group);
        const QRect box = group->geometry();
        int& rise = riseByTop[box.top()];
        for (const QWidget* control : controls)
            if (control != group && box.contains(control->geometry()))
                rise = std::max(rise, box.top() + inside.top() + 3 - control->y()); // clear of the line
    }
    for (auto row = riseByTop.cbegin(); row != riseByTop.cend(); ++row) {
        const int top = row.key(), rise = row.value();
        if (rise <= 0)
            continue;
        for (QWidget* control : controls) {
            if (control->y() > top)
                control->move(control->x(), control->y() + rise);
            else if (control->y() == top && qobject_cast<QGroupBox*>(control))
                control->resize(control->width(), control->height() + rise);
        }
    }
}

} // namespace

void FitToControls(QWidget* dialog)
{
    ClearGroupTitles(dialog);
    int margin = dialog->width(), bottom = 0;
    for (const QWidget* control : dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!control->property(kControlId).isValid() || control->isHidden())
            continue;
        margin = std::min(margin, control->x());
        bottom = std::max(bottom, control->geometry().bottom() + 1);
    }
    if (bottom == 0)
        return;
    const QSize size(dialog->width(), bottom + margin);
    dialog->setMinimumSize(size);
    dialog->resize(size);
}

void SetControlID(QWidget* widget, int id)
{
    widget->setObjectName(QString::number(id));
    widget->setProperty(kControlId, id);
}

QWidget* FindControl(const QWidget* parent, int id)
{
    if (!parent)
        return nullptr;
    const auto children = parent->findChildren<QWidget*>();
    for (QWidget* child : children)
        if (child->property(kControlId).toInt() == id && child->property(kControlId).isValid())
            return child;
    return nullptr;
}
