#include "FileCases.h"

#include "DownloadFiles.h"

namespace {
constexpr int ALL = 32;
const std::string HEADER = DOWNLOAD_FILE_HEADER;
const std::string NOTE = DOWNLOAD_FILE_NOTE;
const std::string LONG_FIELD = "12345678901234567890"; // 20 characters: over the limit
const std::string LONG_HEADER_LINE = std::string(200, 'x') + "\n";
} // namespace

std::vector<FileCase> FileCases() {
    return {
        {"Complete", FullFileText(), true, ALL, 0},
        {"CrLfLineEnds", CrLf(FullFileText()), true, ALL, 0},
        {"FiveRows", HEADER + DistinctRows(1, 5), true, 5, 0},
        {"FiveRowsNoLastLineEnd",
         HEADER + DistinctRows(1, 5).substr(0, DistinctRows(1, 5).size() - 1), true, 5, 0},
        {"FiveRowsThenBlankLines", HEADER + DistinctRows(1, 5) + "\n\n", true, 5, 0},
        {"BlankLineBetweenRows", HEADER + DistinctRows(1, 2) + "\n" + DistinctRows(3, 32) + NOTE,
         true, ALL, 0},
        {"OnlyTheHeader", HEADER, true, 0, 0},
        {"EndsInsideTheHeader", "ORX\nSun Dec 06\nSerial", true, 0, 0},
        {"Empty", "", true, 0, 0},
        {"RowsAfterTheThirtySecondNeverRead", FullFileText() + "33,9,9,9,9,x,x,9\n", true, ALL, 0},
        {"BadModuleInRowFive",
         HEADER + DistinctRows(1, 4) + "5,1,1,1,0,0.0000,0.0000,0\n" + DistinctRows(6, 32), false,
         4, 1},
        {"BadTripPointInRowOne", HEADER + "1,0,0,0,0,1.5x,0.0000,0\n" + DistinctRows(2, 32), false,
         0, 1},
        {"RowThreeCutShortByTheEnd", HEADER + DistinctRows(1, 2) + "3,1,2,1", false, 2, 1},
        {"LongFieldInRowTwo",
         HEADER + DistinctRows(1, 1) + "2,0,0,0,0," + LONG_FIELD + ",0,0\n" + DistinctRows(3, 32),
         false, 1, 1},
        {"LongHeaderLine", LONG_HEADER_LINE + HEADER + DistinctRows(1, 32), false, 0, 1},
        {"TwoBadRows",
         HEADER + DistinctRows(1, 2) + "3,3,2,1,0,0,0,0\n" + DistinctRows(4, 6) +
             "7,0,0,0,9,0,0,0\n" + DistinctRows(8, 32),
         false, 2, 2},
    };
}
