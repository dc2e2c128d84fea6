// The start of every row in a table of test cases: what the row proves, which is also how
// GoogleTest prints the row when one of its checks fails.
#pragma once

#include <ostream>

namespace testsupport {

struct Row {
    const char* proves;
};

inline std::ostream& operator<<(std::ostream& out, const Row& row) { return out << row.proves; }

}  // namespace testsupport
