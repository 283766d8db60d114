#include "Instructions.h"

namespace {

// Standalone, practice, networked; computer log, then paper log.
constexpr InstructionText kTexts[3][2] = {
    {{"Instructions for Non-Networked Computer Logging", "StandAloneComputerLogInstruct.txt"},
     {"Instructions for Paper Logging in Non-Networked System", "StandAlonePaperLogInstruct.txt"}},
    {{"Instructions for Practice Computer Logging", "PracticeComputerLogInstruct.txt"},
     {"Instructions for Practice Logging on Paper", "PracticePaperLogInstruct.txt"}},
    {{"Instructions for Networked Computer Logging", "ComputerLogInstruct.txt"},
     {"Instructions for Paper Logging in Networked System", "PaperLogInstruct.txt"}},
};

} // namespace

const InstructionText &InstructionsFor(InstructionMode mode, bool paper)
{
    return kTexts[int(mode)][paper ? 1 : 0];
}

QStringList InstructionFileNames()
{
    QStringList names;
    for (const auto &mode : kTexts) {
        for (const InstructionText &text : mode)
            names.append(QString::fromLatin1(text.file));
    }
    return names;
}
