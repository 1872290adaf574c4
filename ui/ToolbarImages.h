#pragma once
// Toolbar and pane pictures from the program's resources. Toolbar strips are drawn in the standard
// 16-colour palette and recoloured at load through the dark look's colour table, so one drawing serves
// whatever colours the look uses; pane icons keep their colours and treat pure green as transparent.

#include <QIcon>
#include <QImage>
#include <QString>

#include <vector>

// Replaces, among the first 16 entries of an indexed image's colour table, each standard colour that
// the dark look recolours. Transparent entries are left alone.
void RemapToolbarColours(QImage& image);

// The buttons of a toolbar strip (images `buttonWidth` wide side by side), recoloured. Empty when the
// resource is missing.
std::vector<QIcon> LoadToolbarIcons(const QString& resource, int buttonWidth);

// The 16 x 16 icons of a pane strip, pure green masked out. Empty when the resource is missing.
std::vector<QIcon> LoadPaneIcons(const QString& resource);
