// Readable test names for tables of cases: the row number and its text in letters and digits.
#pragma once

#include <ctype.h>
#include <stddef.h>

#include <string>

inline std::string CaseName(size_t index, const char* text)
{
    std::string name = std::to_string(index) + "_";
    for (const char* p = text; *p; ++p)
        name += isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return name;
}
