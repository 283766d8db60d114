#include "Announce.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QStringList>
#include <QTimer>

namespace {

// One utterance: a widget of no size that screen readers see as a
// notification named by its text, spoken as it shows. Its text never changes:
// a reader that comes to it late still reads what it was shown for.
class Notice : public QWidget
{
public:
    Notice(QWidget *window, const QString &text) : QWidget(window), m_text(text)
    {
        setObjectName(QStringLiteral("vorlixNotice"));
        setFocusPolicy(Qt::NoFocus);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setGeometry(0, 0, 0, 0);
        hide();
        // An accessible object made for this widget before it was a Notice
        // would stay a plain one: let the factory make it anew.
        if (QAccessibleInterface *made = QAccessible::queryAccessibleInterface(this);
            made && made->role() != QAccessible::Notification)
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
    }

    QString text() const { return m_text; }

private:
    const QString m_text;
};

class NoticeAccessible : public QAccessibleWidget
{
public:
    explicit NoticeAccessible(Notice *notice) : QAccessibleWidget(notice, QAccessible::Notification) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return static_cast<const Notice *>(widget())->text();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface *NoticeFactory(const QString &, QObject *object)
{
    if (auto *notice = dynamic_cast<Notice *>(object))
        return new NoticeAccessible(notice);
    return nullptr;
}

// A window's voice: gathers the texts announced while the station is busy
// and shows them as one notice once it is idle.
class Speaker : public QObject
{
public:
    explicit Speaker(QWidget *window) : QObject(window), m_window(window)
    {
        m_flush.setSingleShot(true);
        m_flush.setInterval(0);
        QObject::connect(&m_flush, &QTimer::timeout, this, [this] { speak(); });
    }

    void queue(const QString &text)
    {
        m_pending.append(text);
        m_flush.start();
    }

    QString spoken() const
    {
        return m_notices.isEmpty() || !m_notices.last() ? QString() : m_notices.last()->text();
    }

private:
    // A reader busy with earlier events still finds the last few notices.
    static constexpr qsizetype kKept = 8;

    void speak()
    {
        if (m_pending.isEmpty())
            return;
        // One utterance: a second notification at once would cut the first.
        QStringList parts;
        for (QString part : std::as_const(m_pending)) {
            part = part.trimmed();
            if (!part.endsWith(u'.') && !part.endsWith(u'!') && !part.endsWith(u'?'))
                part += u'.';
            parts.append(part);
        }
        m_pending.clear();
        if (!m_notices.isEmpty() && m_notices.last())
            m_notices.last()->hide();
        while (m_notices.size() >= kKept)
            delete m_notices.takeFirst().data();
        auto *notice = new Notice(m_window, parts.join(u' '));
        m_notices.append(notice);
        notice->show();
    }

    QWidget *m_window;
    QStringList m_pending;
    QList<QPointer<Notice>> m_notices;
    QTimer m_flush;
};

Speaker *SpeakerOf(const QWidget *widget, bool make)
{
    QWidget *window = widget->window();
    for (QObject *child : window->children())
        if (auto *speaker = dynamic_cast<Speaker *>(child))
            return speaker;
    if (!make)
        return nullptr;
    // Qt asks the factory installed last first: installed here, after the
    // application's own, it is asked before the widgets' factory.
    static const bool installed = [] {
        QAccessible::installFactory(&NoticeFactory);
        return true;
    }();
    Q_UNUSED(installed);
    return new Speaker(window);
}

} // namespace

namespace Announce {

void Text(QLabel *label, const QString &text)
{
    const bool differs = label->text() != text;
    // A label without a name of its own is named by its text.
    label->setText(text);
    if (!differs || text.isEmpty())
        return;
    QAccessibleEvent changed(label, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
    Say(label, text);
}

void Text(QLineEdit *box, const QString &text)
{
    const bool differs = box->text() != text;
    box->setText(text);
    if (!differs || text.isEmpty())
        return;
    Say(box, text);
}

void Say(QWidget *widget, const QString &text)
{
    if (text.trimmed().isEmpty())
        return;
    SpeakerOf(widget, true)->queue(text);
}

QString Spoken(const QWidget *widget)
{
    const Speaker *speaker = SpeakerOf(widget, false);
    return speaker ? speaker->spoken() : QString();
}

} // namespace Announce
