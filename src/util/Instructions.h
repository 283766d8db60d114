#pragma once
// The six instruction texts shown on the main window: for each mode of
// operation and logging method, the heading above the text and the file in
// the base folder that holds it.

#include <QStringList>

struct InstructionText
{
    const char *title;
    const char *file;
};

enum class InstructionMode
{
    StandAlone,
    Practice,
    Networked
};

const InstructionText &InstructionsFor(InstructionMode mode, bool paper);

// The file names of all six texts.
QStringList InstructionFileNames();
