#include "SoundOutputBox.h"

#include <QSignalBlocker>

SoundOutputBox::SoundOutputBox(QWidget *parent) : QComboBox(parent)
{
    connect(this, &QComboBox::activated, this, &SoundOutputBox::onActivated);
    showChoice({});
}

void SoundOutputBox::showChoice(const QString &id)
{
    const QSignalBlocker quiet(this);
    m_choice = id;
    m_listed = false;
    clear();
    addItem(DefaultText(), QString());
    if (!id.isEmpty())
        addItem(id, id);
    select();
}

void SoundOutputBox::focusInEvent(QFocusEvent *event)
{
    if (!m_listed)
        fill();
    QComboBox::focusInEvent(event);
}

void SoundOutputBox::wheelEvent(QWheelEvent *event)
{
    if (!m_listed)
        fill();
    QComboBox::wheelEvent(event);
}

void SoundOutputBox::showPopup()
{
    fill();
    QComboBox::showPopup();
}

void SoundOutputBox::fill()
{
    const QList<AudioBackend::Output> outputs = m_lister ? m_lister() : QList<AudioBackend::Output>();
    const QSignalBlocker quiet(this);
    clear();
    addItem(DefaultText(), QString());
    bool present = m_choice.isEmpty();
    for (const AudioBackend::Output &output : outputs) {
        addItem(output.description.isEmpty() ? output.id : output.description, output.id);
        setItemData(count() - 1, output.id, Qt::ToolTipRole);
        present = present || output.id == m_choice;
    }
    if (!present)
        addItem(MissingText(m_choice), m_choice);
    m_listed = true;
    select();
}

void SoundOutputBox::select()
{
    for (int i = 0; i < count(); ++i)
        if (itemData(i).toString() == m_choice) {
            setCurrentIndex(i);
            return;
        }
}

void SoundOutputBox::onActivated(int index)
{
    const QString id = itemData(index).toString();
    if (id == m_choice)
        return;
    m_choice = id;
    emit chosen(id);
}
