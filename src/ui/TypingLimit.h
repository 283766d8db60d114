#pragma once
// Limits what the player can type or paste into an edit box to a number of
// characters, while the program can still show longer texts in it (status
// texts and score lines in the call entry box). QLineEdit's own maximum
// length would cut those texts too.

#include <QLineEdit>
#include <QValidator>

class TypingLimit : public QValidator
{
public:
    TypingLimit(QLineEdit *edit, int maximum);

    State validate(QString &input, int &pos) const override;
    int maximum() const { return m_maximum; }

private:
    int m_maximum;
    qsizetype m_shownLength = 0; // of the text the box held before the edit
};
