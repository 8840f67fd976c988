#pragma once
// A Windows file-dialog filter ("Name|*.EXT|...") in Qt's form. File names are
// case-sensitive here, so each pattern is offered in its upper- and lower-case spelling:
// "Comma Separated Values (*.CSV)|*.CSV|" shows both x.CSV and x.csv.

#include <QString>
#include <QStringList>

namespace orxqt {

QStringList QtNameFilters(const char* filter);

} // namespace orxqt
