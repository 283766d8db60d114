#include "TfmReviewRates.h"

#include "ui_TfmReviewRates.h"

#include "RateReview.h"
#include "RatesChart.h"
#include "ui/Dialogs.h"
#include "ui/Looks.h"
#include "util/IntervalRates.h"
#include "util/TextUtil.h"
#include "util/WavePlayer.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QTableWidgetItem>

#include <algorithm>
#include <limits>

namespace {

constexpr int CallColumn = 0;
constexpr int ColumnCount = 1 + RateIntervalCount + 2;
constexpr int OffsetItemAtCreation = 2; // "2" seconds

} // namespace

TfmReviewRates::TfmReviewRates(Dialogs &dialogs, WavePlayer &player, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TfmReviewRates>()), m_dialogs(dialogs), m_player(player),
      m_tmPrevInterval(this)
{
    m_ui->setupUi(this);
    setFixedSize(size());

    // The offset box sits in the gap that the blanks leave in its label.
    const QFontMetrics metrics(m_ui->Label2->font());
    const QString text = m_ui->Label2->text();
    const qsizetype blanks = text.indexOf(QLatin1String("  "));
    const int gapLeft = metrics.horizontalAdvance(text.left(blanks));
    const int gapWidth =
        metrics.horizontalAdvance(text.left(text.indexOf(QLatin1String("seconds")))) - gapLeft;
    const int boxWidth = std::max(48, gapWidth - 8);
    m_ui->Label2->resize(m_ui->Label2->sizeHint().width(), m_ui->Label2->height());
    m_ui->cbOffset->setGeometry(gapLeft + (gapWidth - boxWidth) / 2, m_ui->cbOffset->y(), boxWidth,
                                m_ui->cbOffset->height());

    QTableWidget *list = m_ui->lvRates;
    QHeaderView *header = list->horizontalHeader();
    header->setSectionsClickable(true);
    QList<Looks::WidthLimits> widths{{50, 150}};
    for (int column = 1; column < ColumnCount; ++column) {
        widths.append(column <= RateIntervalCount ? Looks::WidthLimits{30, 48} : Looks::WidthLimits{60, 95});
        if (QTableWidgetItem *heading = list->horizontalHeaderItem(column))
            heading->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    Looks::HoldColumnWidths(header, widths);
    connect(header, &QHeaderView::sectionClicked, this,
            [this](int column) { m_dialogs.Guarded(this, [&] { lvRatesColumnClick(column); }); });

    m_chart = new RatesChart(this);
    m_ui->layoutMain->addWidget(m_chart, 1);
    connect(m_chart, &RatesChart::intervalColumnClicked, this,
            [this](int column) { m_dialogs.Guarded(this, [&] { lvRatesColumnClick(column); }); });

    m_tmPrevInterval.setObjectName(QStringLiteral("tmPrevInterval"));
    m_tmPrevInterval.setInterval(1000);
    connect(&m_tmPrevInterval, &QTimer::timeout, this,
            [this] { m_dialogs.Guarded(this, [&] { tmPrevIntervalTimer(); }); });
    m_tmPrevInterval.start();

    FormCreate();
}

TfmReviewRates::~TfmReviewRates() = default;

void TfmReviewRates::FormCreate()
{
    m_ui->cbOffset->setCurrentIndex(OffsetItemAtCreation);
    PaintColumns();
}

void TfmReviewRates::ShowRows(const QList<QStringList> &rows, const QString &caseName)
{
    QTableWidget *list = m_ui->lvRates;
    list->setUpdatesEnabled(false);
    list->clearContents();
    list->setRowCount(int(rows.size()));
    QList<RatesChart::Series> series;
    for (int row = 0; row < int(rows.size()); ++row) {
        const QStringList &fields = rows[row];
        for (int column = 0; column < ColumnCount; ++column) {
            auto *item = new QTableWidgetItem(fields.value(column));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            item->setTextAlignment((column == CallColumn ? Qt::AlignLeft : Qt::AlignRight) |
                                   Qt::AlignVCenter);
            list->setItem(row, column, item);
        }
        // The chart shows the players, not the ground rows.
        if (fields.isEmpty() || fields.first().startsWith(GroundRowCaption(QString())))
            continue;
        RatesChart::Series line{fields.first(), {}};
        for (int interval = 1; interval <= RateIntervalCount; ++interval)
            line.chars.append(LeadingInt(fields.value(interval)));
        series.append(line);
    }
    list->resizeColumnToContents(CallColumn);
    Looks::FitColumnsToTexts(list);
    PaintColumns();
    list->setUpdatesEnabled(true);
    m_chart->setSeries(series);
    setWindowTitle(QStringLiteral("Reviewing Rates for ") + caseName);
}

void TfmReviewRates::FormActivate()
{
    m_playing = false;
}

void TfmReviewRates::FormClose()
{
    if (!m_playing)
        return;
    m_playing = false;
    if (m_player.isOpen())
        m_player.stop();
    m_player.close();
}

void TfmReviewRates::FormKeyPress(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Escape) {
        event->ignore();
        return;
    }
    event->accept();
    close();
}

void TfmReviewRates::lvRatesColumnClick(int column)
{
    const QTableWidgetItem *heading = m_ui->lvRates->horizontalHeaderItem(column);
    if (!heading)
        return;
    const std::optional<IntervalClick> click =
        IntervalClickFor(heading->text(), column, m_ui->cbOffset->currentText());
    if (!click)
        return;
    m_selectedColumn = click->selectedColumn;
    m_previousColumn = click->previousColumn;
    m_previousColour = click->previousColumn >= 0 ? QColor(Qt::red) : QColor(Qt::white);
    m_ticks = 0;
    m_redrawn = false;
    PaintColumns();

    // A new click restarts the audio at its interval; should the recording
    // fail to open, nothing of this window is left playing.
    m_playing = false;
    m_player.open();
    m_player.rewind();
    m_player.setTimeFormatMilliseconds();
    m_player.setStartPosition(qint64(click->startSecond) * 1000);
    m_player.setEndPosition(qint64(click->endSecond) * 1000);
    m_player.play();
    m_playing = true;
}

void TfmReviewRates::tmPrevIntervalTimer()
{
    if (m_ticks < std::numeric_limits<int>::max())
        ++m_ticks;
    // Once the audio has moved into the selected interval, the previous one
    // is no longer marked.
    if (LeadingInt(m_ui->cbOffset->currentText()) < m_ticks) {
        m_previousColour = Qt::white;
        if (!m_redrawn) {
            PaintColumns();
            m_redrawn = true;
        }
    }
    if (m_playing && !m_player.isPlaying())
        m_playing = false;
}

QColor TfmReviewRates::CellFill(int column) const
{
    // The Call column keeps its fill: it is never an interval.
    if (column == CallColumn)
        return QColor();
    if (column == m_previousColumn)
        return m_previousColour;
    if (column == m_selectedColumn)
        return QColor(Qt::yellow);
    if (column > m_selectedColumn)
        return QColor(Qt::white);
    return QColor();
}

void TfmReviewRates::PaintColumns()
{
    QTableWidget *list = m_ui->lvRates;
    for (int column = 0; column < ColumnCount; ++column) {
        const QColor fill = CellFill(column);
        for (int row = 0; row < list->rowCount(); ++row)
            if (QTableWidgetItem *item = list->item(row, column))
                item->setBackground(fill.isValid() ? QBrush(fill) : QBrush());
    }
    const bool interval = m_selectedColumn >= 1 && m_selectedColumn <= RateIntervalCount;
    m_chart->setSelectedInterval(interval ? m_selectedColumn - 1 : -1);
}

void TfmReviewRates::done(int result)
{
    m_dialogs.Guarded(this, [&] { FormClose(); });
    QDialog::done(result);
}

void TfmReviewRates::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TfmReviewRates::keyPressEvent(QKeyEvent *event)
{
    FormKeyPress(event);
    if (!event->isAccepted())
        QDialog::keyPressEvent(event);
}
