#include "platform/qt/QtFileFilter.h"

#include "platform/ui/FileDialog.h"

#include <QRegularExpression>

namespace orxqt {

namespace {

// "*.CSV;*.TXT" into "*.CSV *.csv *.TXT *.txt".
QString BothCases(const QString& patterns) {
    QStringList result;
    for (const QString& pattern : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString trimmed = pattern.trimmed();
        for (const QString& spelling : {trimmed, trimmed.toUpper(), trimmed.toLower()})
            if (!result.contains(spelling))
                result << spelling;
    }
    return result.join(QLatin1Char(' '));
}

// The visible name without a trailing "(...)" pattern list of its own.
QString BareName(const QString& name) {
    static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    QString bare = name;
    bare.remove(trailingPatterns);
    return bare;
}

} // namespace

QStringList QtNameFilters(const char* filter) {
    QStringList filters;
    for (const auto& [name, patterns] : ParseFileFilter(filter)) {
        const QString text = QString::fromUtf8(name.GetString());
        filters << QStringLiteral("%1 (%2)").arg(
            BareName(text), BothCases(QString::fromUtf8(patterns.GetString())));
    }
    return filters;
}

} // namespace orxqt
