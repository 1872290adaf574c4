#include "document/dialogs/NameFilters.h"

#include <QRegularExpression>
#include <QString>

QStringList QtNameFilters(const std::string& filter)
{
    const QStringList parts = QString::fromStdString(filter).split(u'|');
    QStringList nameFilters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        if (description.isEmpty()) break;  // the "||" that ends the list
        const QString patterns = QString(parts[i + 1]).replace(u';', u' ');
        const QString ownPatterns = u'(' + patterns + u')';
        nameFilters << (description.endsWith(ownPatterns) ? description : description + u' ' + ownPatterns);
    }
    return nameFilters;
}

QString FilterExtension(const QString& nameFilter)
{
    static const QRegularExpression firstPattern(QStringLiteral(R"(\(\*\.([A-Za-z0-9]+)[ )])"));
    const QRegularExpressionMatch match = firstPattern.match(nameFilter);
    return match.hasMatch() ? match.captured(1) : QString();
}
