#include "TypingLimit.h"

TypingLimit::TypingLimit(QLineEdit *edit, int maximum) : QValidator(edit), m_maximum(maximum)
{
    edit->setValidator(this);
    m_shownLength = edit->text().size();
    connect(edit, &QLineEdit::textChanged, this, [this](const QString &text) { m_shownLength = text.size(); });
}

QValidator::State TypingLimit::validate(QString &input, int &) const
{
    // Within the limit, or no longer than what the box already shows (so a
    // long status text can still be cut down by the player).
    if (input.size() <= m_maximum || input.size() <= m_shownLength)
        return Acceptable;
    return Invalid;
}
