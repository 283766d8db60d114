#include "Looks.h"

#include <QHeaderView>

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QPalette>
#include <QWidget>

namespace Looks {

namespace {

double RelativeLuminance(const QColor &colour)
{
    const auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = colour.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) + 0.0722 * linear(rgb.blueF());
}

// The contrast of two colours as WCAG 2 defines it: 1 for none, 21 for
// black on white.
double ContrastRatio(const QColor &a, const QColor &b)
{
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The theme's text colour when it reads well on `field` (a contrast of 4.5 at
// least), else black or white, whichever reads better.
QColor ReadableOn(const QColor &field, const QColor &text)
{
    if (ContrastRatio(text, field) >= 4.5)
        return text;
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return ContrastRatio(black, field) >= ContrastRatio(white, field) ? black : white;
}

} // namespace

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
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const QColor field = colour.isValid() ? colour : normal.color(group, QPalette::Base);
        palette.setColor(group, QPalette::Base, field);
        // Not the theme's pale text of disabled boxes, which is meant not to be read.
        const auto textGroup = group == QPalette::Disabled ? QPalette::Active : group;
        palette.setColor(group, QPalette::Text, ReadableOn(field, normal.color(textGroup, QPalette::Text)));
    }
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
