#include "Looks.h"

#include <QHeaderView>

#include <algorithm>

#include <QApplication>
#include <QPalette>
#include <QWidget>

namespace Looks {

void SetBackground(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void SetFieldColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    const QPalette normal = QApplication::palette(widget);
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Base,
                         colour.isValid() ? colour : normal.color(group, QPalette::Base));
    widget->setPalette(palette);
}

void SetBold(QWidget *widget, int pointSize)
{
    QFont font = widget->font();
    font.setBold(true);
    if (pointSize > 0)
        font.setPointSize(pointSize);
    widget->setFont(font);
}

void KeepTextReadable(QWidget *widget)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Disabled, QPalette::Text, palette.color(QPalette::Active, QPalette::Text));
    widget->setPalette(palette);
}

void HoldColumnWidths(QHeaderView *header, const QList<WidthLimits> &limits)
{
    for (int column = 0; column < int(limits.size()); ++column)
        header->resizeSection(column, limits[column].maximum);
    QObject::connect(header, &QHeaderView::sectionResized, header,
                     [header, limits](int column, int, int width) {
                         if (column < 0 || column >= int(limits.size()))
                             return;
                         const int held = std::clamp(width, limits[column].minimum, limits[column].maximum);
                         if (held != width)
                             header->resizeSection(column, held);
                     });
}

} // namespace Looks
