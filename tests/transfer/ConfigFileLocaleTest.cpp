#include "FileText.h"
#include "transfer/ConfigFile.h"
#include "transfer/FieldRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <locale>
#include <sstream>
#include <string>

namespace {
constexpr const char* COMMA_LOCALES[] = {"de_DE.UTF-8", "fr_FR.UTF-8", "de_DE", "fr_FR"};

// Comma decimal point and grouped thousands, as many European locales have.
struct CommaPunct : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};
} // namespace

// The C++ global locale always gets a comma; the C library's too where such a locale is
// installed.
TEST(CommaLocale, WritingAndReadingStayClassic) {
    const std::string oldC = std::setlocale(LC_ALL, nullptr);
    const bool cComma = std::any_of(std::begin(COMMA_LOCALES), std::end(COMMA_LOCALES), [](auto n) {
        return std::setlocale(LC_ALL, n) && *std::localeconv()->decimal_point == ',';
    });
    const std::locale oldCpp =
        std::locale::global(std::locale(std::locale::classic(), new CommaPunct));
    std::ostringstream plain; // proves the locale is in force for ordinary streams
    plain << 1.5 << ' ' << 12345;
    EXPECT_EQ(plain.str(), "1,5 12.345");
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", 1.5);
    EXPECT_EQ(text == std::string("1,5"), cComma);

    const AlarmRecord record{2, 4, 2, 5, 75.5f, 1.25f, true};
    std::ostringstream row; // created under the process locale, never prepared
    WriteAlarmRow(row, 1, record);
    std::ostringstream header;
    WriteFileHeader(header, 4294967295u, 0);
    EXPECT_NE(header.str().find("Serial Number: 4294967295\n"), std::string::npos);
    EXPECT_EQ(row.str(), "1,2,4,2,5,75.5000,1.2500,1\n");
    std::ostringstream prepared;
    PrepareFileStream(prepared);
    prepared << 1.5 << ' ' << 12345;
    EXPECT_EQ(prepared.str(), "1.5000 12345");
    EXPECT_EQ(ReadRows(FILE_HEADER + row.str()).rows, std::vector<AlarmRecord>{record});
    float value = 0.0f;
    EXPECT_EQ(RealRule("1,5", value), RealRuleResult::NotNumber);

    std::locale::global(oldCpp);
    std::setlocale(LC_ALL, oldC.c_str());
}
