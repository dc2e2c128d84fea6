// The three texts held in memory, for the randomized window tests of both editions: what
// Recalculate should make of the texts the window showed before a key release.
#pragma once

#include "calc/calc.h"

#include <array>
#include <string>
#include <utility>

class MemoryFields : public calc::FieldAccess
{
public:
    MemoryFields(std::array<std::string, 3> texts, std::string separator)
        : texts(std::move(texts)), separator(std::move(separator)) {}

    std::string ReadText(calc::AmountField field) const override { return texts[int(field)]; }
    void WriteText(calc::AmountField field, const std::string &text) override { texts[int(field)] = text; }
    std::string DecimalSeparator() const override { return separator; }

    std::array<std::string, 3> texts;
    std::string separator;
};
