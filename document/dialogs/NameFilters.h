#pragma once
// File-type filters: the program writes them as "Description|*.ext;*.ext2|...|"; Qt's file dialogs take a
// list of "Description (*.ext *.ext2)".

#include <QStringList>

#include <string>

// One Qt name filter per description-pattern pair. A description that already ends in its patterns
// ("PNG Files (*.PNG)") is kept as it stands; others get them appended.
QStringList QtNameFilters(const std::string& filter);
// The extension a filter's first pattern names ("jpg" for "JPG File (*.jpg)"), empty for "*.*" or "*".
QString FilterExtension(const QString& nameFilter);
