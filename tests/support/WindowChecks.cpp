#include "WindowChecks.h"

#include "ui/PathLabel.h"
#include "ui/ScreenFit.h"
#include "ui/TextFit.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTableView>
#include <QTest>
#include <QTextDocument>

#include <cmath>

namespace {

QString Where(const QWidget *widget, const QString &what)
{
    return widget->window()->objectName() + u'.' + widget->objectName() + QStringLiteral(": ") + what;
}

void Fill(QWidget *widget, const QString &text)
{
    if (auto *label = qobject_cast<QLabel *>(widget)) {
        label->setText(text);
    } else if (auto *box = qobject_cast<QLineEdit *>(widget)) {
        box->setText(text);
        box->setCursorPosition(0);
    } else if (auto *combo = qobject_cast<QComboBox *>(widget)) {
        combo->addItem(text);
        combo->setCurrentIndex(combo->count() - 1);
    }
    widget->setVisible(true);
}

// A control that reaches out of the control holding it is cut off there
// (what a scroll area holds is scrolled to instead).
QString OutsideProblem(const QWidget *widget)
{
    for (const QWidget *w = widget; w->parentWidget() && !w->isWindow(); w = w->parentWidget()) {
        const auto *area = qobject_cast<const QAbstractScrollArea *>(w->parentWidget()->parentWidget());
        if (area && area->viewport() == w->parentWidget())
            break;
        if (!w->parentWidget()->rect().contains(w->geometry()))
            return QStringLiteral("reaches out of ") + w->parentWidget()->objectName();
    }
    return {};
}

QString LabelProblem(const QLabel *label)
{
    // A status line with a path is drawn shortened, its file name whole.
    const auto *pathLabel = qobject_cast<const PathLabel *>(label);
    const QString text = pathLabel ? pathLabel->shownText() : label->text();
    if (pathLabel && !text.endsWith(label->text().section(u'/', -1)))
        return QStringLiteral("shows \"%1\", without the file name of \"%2\"").arg(text, label->text());
    if (text.isEmpty() || Qt::mightBeRichText(text))
        return {};
    if (const QString outside = OutsideProblem(label); !outside.isEmpty())
        return outside;
    QRect room = label->contentsRect();
    const int margin = label->margin();
    room.adjust(margin, margin, -margin, -margin);
    const QFontMetrics metrics(label->font());
    const int flags = Qt::TextShowMnemonic | (label->wordWrap() ? int(Qt::TextWordWrap) : 0);
    const QRect needed = metrics.boundingRect(QRect(0, 0, room.width(), 1 << 20), flags, text);
    if (needed.width() <= room.width() && needed.height() <= room.height())
        return {};
    return QStringLiteral("needs %1x%2, has %3x%4 for \"%5\"")
        .arg(QString::number(needed.width()), QString::number(needed.height()), QString::number(room.width()),
             QString::number(room.height()), text);
}

// What a one-line text of `needed` pixels lacks in `room` pixels, if anything.
QString TooWide(int needed, int room, const QString &text)
{
    if (needed <= room)
        return {};
    return QStringLiteral("needs %1, has %2 for \"%3\"")
        .arg(QString::number(needed), QString::number(room), text);
}

QString BoxProblem(const QLineEdit *box)
{
    if (const QString outside = OutsideProblem(box); !outside.isEmpty())
        return outside;
    return TooWide(QFontMetrics(box->font()).horizontalAdvance(box->text()), TextFit::TextAreaWidth(box),
                   box->text());
}

QString ComboProblem(const QComboBox *combo)
{
    if (const QString outside = OutsideProblem(combo); !outside.isEmpty())
        return outside;
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.editable = combo->isEditable();
    option.frame = combo->hasFrame();
    option.subControls = QStyle::SC_All;
    const int room = combo->style()
                         ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo)
                         .width();
    const QFontMetrics metrics(combo->font());
    for (int i = 0; i < combo->count(); ++i)
        if (const QString problem =
                TooWide(metrics.horizontalAdvance(combo->itemText(i)), room, combo->itemText(i));
            !problem.isEmpty())
            return problem;
    return {};
}

// A list shows every column, each heading and each cell whole.
QStringList TableProblems(QAbstractItemView *view)
{
    QStringList problems;
    auto *table = qobject_cast<QTableView *>(view);
    if (!table || !table->model())
        return problems;
    const QAbstractItemModel *model = table->model();
    QHeaderView *header = table->horizontalHeader();
    // Columns may scroll sideways only in a window as wide as the screen allows.
    const bool screenWide = table->window()->width() >= ScreenFit::Room(table->window()).width();
    if (table->horizontalScrollBar()->maximum() > 0 && !screenWide)
        problems.append(Where(view, QStringLiteral("its columns need %1, it shows %2")
                                        .arg(header->length())
                                        .arg(table->viewport()->width())));
    for (int column = 0; column < model->columnCount(); ++column) {
        if (table->isColumnHidden(column))
            continue;
        const int width = table->columnWidth(column);
        const QString title = model->headerData(column, Qt::Horizontal).toString();
        if (header->isVisible() && header->sectionSizeHint(column) > width)
            problems.append(Where(view, QStringLiteral("heading needs %1, has %2 for \"%3\"")
                                            .arg(header->sectionSizeHint(column))
                                            .arg(width)
                                            .arg(title)));
        for (int row = 0; row < std::min(model->rowCount(), 500); ++row) {
            const QModelIndex index = model->index(row, column);
            if (const int needed = table->sizeHintForIndex(index).width(); needed > width)
                problems.append(Where(view, QStringLiteral("column \"%1\" needs %2, has %3 for \"%4\"")
                                                .arg(title)
                                                .arg(needed)
                                                .arg(width)
                                                .arg(index.data().toString())));
        }
    }
    return problems;
}

bool TakesFocus(const QWidget *widget)
{
    if (widget->focusPolicy() == Qt::NoFocus || widget->focusProxy())
        return false;
    // The inner parts of compound controls are named by the control.
    const QWidget *parent = widget->parentWidget();
    return !qobject_cast<const QAbstractSpinBox *>(parent) && !qobject_cast<const QComboBox *>(parent) &&
           !qobject_cast<const QAbstractItemView *>(parent ? parent->parentWidget() : nullptr);
}

// The controls of `window` itself, not of the dialogs it owns.
template <typename Control> QList<Control *> Own(QWidget *window)
{
    QList<Control *> own;
    for (Control *control : window->findChildren<Control *>())
        if (control->window() == window)
            own.append(control);
    return own;
}

} // namespace

namespace WindowChecks {

QStringList Clipped(QWidget *window, const QHash<QString, QString> &longest)
{
    QStringList problems;
    QList<QWidget *> named;
    for (auto it = longest.cbegin(); it != longest.cend(); ++it) {
        auto *widget = window->findChild<QWidget *>(it.key());
        if (!widget) {
            problems.append(window->objectName() + QStringLiteral(": no control ") + it.key());
            continue;
        }
        Fill(widget, it.value());
        named.append(widget);
    }
    window->show();
    if (!QTest::qWaitForWindowExposed(window))
        problems.append(window->objectName() + QStringLiteral(": not shown"));
    // Each round of layout requests may start one for the layouts inside.
    for (int round = 0; round < 4; ++round) {
        if (window->layout())
            window->layout()->activate();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    }
    auto note = [&](const QWidget *widget, const QString &problem) {
        if (!problem.isEmpty())
            problems.append(Where(widget, problem));
    };
    for (QLabel *label : Own<QLabel>(window))
        if (label->isVisibleTo(window))
            note(label, LabelProblem(label));
    for (QLineEdit *box : Own<QLineEdit>(window))
        if (box->isVisibleTo(window) && (box->isReadOnly() || named.contains(box)) &&
            !qobject_cast<QComboBox *>(box->parentWidget()))
            note(box, BoxProblem(box));
    for (QComboBox *combo : Own<QComboBox>(window))
        if (combo->isVisibleTo(window))
            note(combo, ComboProblem(combo));
    for (QAbstractItemView *view : Own<QAbstractItemView>(window))
        if (view->isVisibleTo(window))
            problems += TableProblems(view);
    return problems;
}

QStringList Unnamed(QWidget *window)
{
    QStringList problems;
    for (QWidget *widget : Own<QWidget>(window)) {
        if (!TakesFocus(widget))
            continue;
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(widget);
        if (!face || face->text(QAccessible::Name).trimmed().isEmpty())
            problems.append(Where(widget, QStringLiteral("no accessible name")));
    }
    // A group inside another is read by its own title, not the outer one's.
    for (QGroupBox *group : Own<QGroupBox>(window)) {
        const QString title = QString(group->title()).remove(u'&').trimmed();
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(group);
        const QString name = face ? face->text(QAccessible::Name).trimmed() : QString();
        if (!title.isEmpty() && name != title)
            problems.append(Where(group, QStringLiteral("read as \"%1\", titled \"%2\"").arg(name, title)));
    }
    for (QAbstractItemView *view : Own<QAbstractItemView>(window)) {
        const QAbstractItemModel *model = view->model();
        for (int column = 0; model && column < model->columnCount(); ++column)
            if (model->headerData(column, Qt::Horizontal).toString().trimmed().isEmpty())
                problems.append(Where(view, QStringLiteral("column %1 has no heading").arg(column)));
    }
    return problems;
}

QStringList KeyProblems(QWidget *window)
{
    QStringList problems;
    QHash<QKeySequence, QString> owners;
    auto claim = [&](const QKeySequence &key, const QWidget *owner) {
        const QString name = owner->objectName();
        const QString earlier = owners.value(key);
        if (!earlier.isEmpty() && earlier != name)
            problems.append(Where(owner, key.toString() + QStringLiteral(" is also the key of ") + earlier));
        owners.insert(key, name);
    };
    for (QAbstractButton *button : Own<QAbstractButton>(window)) {
        if (qobject_cast<QAbstractItemView *>(button->parentWidget()))
            continue; // a table's corner button
        const QKeySequence mnemonic = QKeySequence::mnemonic(button->text());
        const auto bound = button->findChildren<QShortcut *>(Qt::FindDirectChildrenOnly);
        if (mnemonic.isEmpty() && bound.isEmpty())
            problems.append(Where(button, QStringLiteral("no key")));
        if (!mnemonic.isEmpty())
            claim(mnemonic, button);
        for (const QShortcut *shortcut : bound)
            claim(shortcut->key(), button);
    }
    for (QLabel *label : Own<QLabel>(window)) {
        const QKeySequence mnemonic = QKeySequence::mnemonic(label->text());
        if (label->buddy() && !mnemonic.isEmpty())
            claim(mnemonic, label);
    }
    for (QShortcut *shortcut : window->findChildren<QShortcut *>()) {
        if (!qobject_cast<QAbstractButton *>(shortcut->parent()))
            claim(shortcut->key(), qobject_cast<QWidget *>(shortcut->parent()));
    }
    return problems;
}

QStringList TabOrder(QWidget *first)
{
    QStringList order;
    QWidget *widget = first;
    do {
        if ((widget->focusPolicy() & Qt::TabFocus) && widget->window() == first->window() &&
            widget->isVisibleTo(first->window()) && TakesFocus(widget))
            order.append(widget->objectName());
        widget = widget->nextInFocusChain();
    } while (widget && widget != first);
    return order;
}

double DrawnTextContrast(QWidget *box)
{
    const auto luminance = [](QRgb pixel) {
        const auto linear = [](int channel) {
            const double c = channel / 255.0;
            return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(qRed(pixel)) + 0.7152 * linear(qGreen(pixel)) + 0.0722 * linear(qBlue(pixel));
    };
    const QImage image = box->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int frame =
        int(std::ceil((box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, box) + 2) *
                      image.devicePixelRatio()));
    const QRect inside = image.rect().adjusted(frame, frame, -frame, -frame);
    QHash<QRgb, int> counts;
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            ++counts[image.pixel(x, y)];
    QRgb field = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > counts.value(field))
            field = it.key();
    const double fieldLuminance = luminance(field);
    double most = 1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        const double l = luminance(it.key());
        most = std::max(most, (std::max(l, fieldLuminance) + 0.05) / (std::min(l, fieldLuminance) + 0.05));
    }
    return most;
}

} // namespace WindowChecks
