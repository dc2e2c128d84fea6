// The three field texts held in memory, for everything that runs Recalculate without a window:
// the calculation tests, the fuzz targets and the randomized window tests of both editions. Every
// write is recorded in order, and one write may be made to fail.
#pragma once

#include "calc/calc.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

class MemoryFields : public calc::FieldAccess
{
public:
    MemoryFields(std::array<std::string, 3> texts, std::string separator)
        : texts(std::move(texts)), separator(std::move(separator)) {}

    std::string ReadText(calc::AmountField field) const override { return texts[std::size_t(field)]; }
    void WriteText(calc::AmountField field, const std::string &text) override
    {
        if (writes.size() == failingWrite)
            throw std::runtime_error("write failed");
        writes.emplace_back(field, text);
        texts[std::size_t(field)] = text;
    }
    std::string DecimalSeparator() const override { return separator; }

    std::array<std::string, 3> texts;
    std::string separator;
    std::vector<std::pair<calc::AmountField, std::string>> writes;
    // The write, counted from 0, that throws instead of writing; none by default.
    std::size_t failingWrite = SIZE_MAX;
};
