#pragma once
// The choice of sound output: "System default" and the outputs of the sound
// device. Listing the outputs connects to the sound server, so the box does
// not ask for them until the player reaches it - focuses it (a keyboard
// player then changes it with the arrow keys), opens it or turns the wheel
// over it - and asks again each time its list opens, so a device plugged in
// meanwhile shows up. Until then it shows only the saved choice, by its id.
// A chosen output that is not there now stays in the list, marked
// " (not connected)", so the choice is not lost without the player seeing it.

#include "util/AudioBackend.h"

#include <QComboBox>
#include <functional>

class SoundOutputBox : public QComboBox
{
    Q_OBJECT

public:
    using Lister = std::function<QList<AudioBackend::Output>()>;

    explicit SoundOutputBox(QWidget *parent = nullptr);

    // Where the outputs come from.
    void setLister(Lister lister) { m_lister = std::move(lister); }
    // Shows `id` as the choice (empty: the system's), without listing.
    void showChoice(const QString &id);
    // The id of the chosen output; empty for the system's choice.
    const QString &choice() const { return m_choice; }

    static QString DefaultText() { return QStringLiteral("System default"); }
    static QString MissingText(const QString &id) { return id + QStringLiteral(" (not connected)"); }

    // Lists the outputs afresh before the list opens.
    void showPopup() override;

signals:
    // The player chose another output.
    void chosen(const QString &id);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void fill();
    void select();
    void onActivated(int index);

    Lister m_lister;
    QString m_choice;
    bool m_listed = false;
};
