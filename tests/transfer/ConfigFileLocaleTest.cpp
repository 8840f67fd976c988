#include "FileText.h"
#include "support/ScriptedModbus.h"
#include "transfer/ConfigFile.h"
#include "transfer/FieldRules.h"

#include <gtest/gtest.h>

#include <clocale>
#include <locale>
#include <sstream>
#include <string>

namespace {
const std::string EXAMPLE_ROW = "3,2,4,2,5,75.5000,1.2500,1\n";
const AlarmRecord EXAMPLE_RECORD{2, 4, 2, 5, 75.5f, 1.25f, true};
constexpr const char* COMMA_LOCALES[] = {"de_DE.UTF-8", "de_DE.utf8",  "fr_FR.UTF-8", "fr_FR.utf8",
                                         "nl_NL.UTF-8", "ru_RU.UTF-8", "de_DE",       "fr_FR"};

// Comma decimal point and grouped thousands, as many European locales have.
struct CommaPunct : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

void ExpectFileUnaffected() {
    std::ostringstream row; // created under the process locale, never prepared
    WriteAlarmRow(row, 3, EXAMPLE_RECORD);
    EXPECT_EQ(row.str(), EXAMPLE_ROW);

    ScriptedModbus modbus;
    modbus.Reply({0x01, 0x04, 0x04, 0xFF, 0xFF, 0xFF, 0xFF});
    std::ostringstream header;
    WriteFileHeader(header, modbus, 0);
    EXPECT_NE(header.str().find("Serial Number: 4294967295\n"), std::string::npos);

    std::ostringstream prepared;
    PrepareFileStream(prepared);
    prepared << 1.5 << ' ' << 12345;
    EXPECT_EQ(prepared.str(), "1.5000 12345");

    const ReadResult result = ReadRows(FILE_HEADER + EXAMPLE_ROW);
    EXPECT_FALSE(result.problem);
    ASSERT_EQ(result.rows.size(), 1u);
    EXPECT_EQ(result.rows[0], EXAMPLE_RECORD);

    float value = 0.0f;
    EXPECT_EQ(RealRule("1,5", value), RealRuleResult::NotNumber);
}

class CommaCppLocale : public ::testing::Test {
protected:
    void SetUp() override {
        m_old = std::locale::global(std::locale(std::locale::classic(), new CommaPunct));
    }
    void TearDown() override { std::locale::global(m_old); }

private:
    std::locale m_old;
};

class CommaProcessLocale : public ::testing::Test {
protected:
    void SetUp() override {
        m_oldC = std::setlocale(LC_ALL, nullptr);
        for (const char* name : COMMA_LOCALES) {
            if (std::setlocale(LC_ALL, name) && *std::localeconv()->decimal_point == ',') {
                m_oldCpp = std::locale::global(std::locale(name));
                m_active = true;
                return;
            }
        }
        std::setlocale(LC_ALL, m_oldC.c_str());
        GTEST_SKIP() << "no locale with a comma decimal point is installed";
    }
    void TearDown() override {
        if (m_active)
            std::locale::global(m_oldCpp);
        std::setlocale(LC_ALL, m_oldC.c_str());
    }

private:
    std::string m_oldC;
    std::locale m_oldCpp;
    bool m_active = false;
};
} // namespace

TEST_F(CommaCppLocale, WritingAndReadingStayClassic) {
    std::ostringstream plain; // proves the locale is in force for ordinary streams
    plain << 1.5 << ' ' << 12345;
    ASSERT_EQ(plain.str(), "1,5 12.345");
    ExpectFileUnaffected();
}

TEST_F(CommaProcessLocale, WritingAndReadingStayClassic) {
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", 1.5);
    ASSERT_STREQ(text, "1,5");
    ExpectFileUnaffected();
}
