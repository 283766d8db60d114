#include "Looks.h"

#include "ScreenFit.h"

#include <QHeaderView>
#include <QLayout>
#include <QScreen>
#include <QStyle>
#include <QTableView>

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

namespace {

// The limits of a header's columns, kept on the header itself.
class HeldWidths : public QObject
{
public:
    HeldWidths(QHeaderView *header, const QList<WidthLimits> &limits)
        : QObject(header), designed(limits), held(limits)
    {
        setObjectName(Name());
    }

    static QString Name() { return QStringLiteral("vorlixHeldWidths"); }

    static HeldWidths *Of(const QHeaderView *header)
    {
        return dynamic_cast<HeldWidths *>(header->findChild<QObject *>(Name(), Qt::FindDirectChildrenOnly));
    }

    const QList<WidthLimits> designed;
    QList<WidthLimits> held; // the maximum raised where a text needs more
};

} // namespace

void HoldColumnWidths(QHeaderView *header, const QList<WidthLimits> &limits)
{
    for (int column = 0; column < int(limits.size()); ++column)
        header->resizeSection(column, limits[column].maximum);
    auto *widths = new HeldWidths(header, limits);
    QObject::connect(header, &QHeaderView::sectionResized, header,
                     [header, widths](int column, int, int width) {
                         if (column < 0 || column >= int(widths->held.size()))
                             return;
                         const WidthLimits limits = widths->held[column];
                         const int held = std::clamp(width, limits.minimum, limits.maximum);
                         if (held != width)
                             header->resizeSection(column, held);
                     });
}

void FitColumnsToTexts(QTableView *table)
{
    QHeaderView *header = table->horizontalHeader();
    HeldWidths *widths = HeldWidths::Of(header);
    if (widths) {
        const QAbstractItemView *view = table;
        for (int column = 0; column < int(widths->held.size()); ++column) {
            const int needed = std::max(view->sizeHintForColumn(column), header->sectionSizeHint(column));
            const int designed = widths->designed[column].maximum;
            widths->held[column].maximum = std::max(designed, needed);
            header->resizeSection(
                column, needed > designed ? needed : std::min(header->sectionSize(column), designed));
        }
    }
    WidenToColumns(table);
}

void WidenToColumns(QTableView *table)
{
    QWidget *window = table->window();
    QVariant first = window->property("vorlixFirstWidth");
    if (!first.isValid()) {
        first = window->width();
        window->setProperty("vorlixFirstWidth", first);
    }
    if (window->layout())
        window->layout()->activate();
    // The table's own width beyond its columns: frame and vertical scroll bar.
    const QHeaderView *rowHeader = table->verticalHeader();
    const int around = 2 * table->frameWidth() + (rowHeader->isHidden() ? 0 : rowHeader->sizeHint().width()) +
                       (table->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOff
                            ? 0
                            : table->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, table));
    const int lacking = table->horizontalHeader()->length() + around - table->width();
    const int most = ScreenFit::Room(window).width();
    const int width = std::clamp(window->width() + lacking, first.toInt(), std::max(first.toInt(), most));
    if (width == window->width())
        return;
    if (window->minimumWidth() == window->maximumWidth())
        window->setFixedWidth(width);
    else
        window->resize(width, window->height());
}

} // namespace Looks
