#include "pickerdriver.h"

#include <QApplication>
#include <QDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

void WhenSheetShown(std::function<void(CCityPropSheet*)> step)
{
    CCityPropSheet::SetShownHook([step](CCityPropSheet* sheet) {
        CCityPropSheet::SetShownHook({}); // once
        step(sheet);
    });
}

void SaveScreenshot(QWidget* widget, const QString& name)
{
    const QString dir = QStringLiteral(TERRAFIND_BINARY_DIR "/screenshots");
    QDir().mkpath(dir);
    widget->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

void TapRow(QTreeWidget* list, int row)
{
    QTreeWidgetItem* item = list->topLevelItem(row);
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

QStringList RowTexts(const QTreeWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts.append(list->topLevelItem(i)->text(0));
    return texts;
}
