#pragma once
#include <QImage>
#include <QString>

// The application icon at one size, drawn from its SVG drawing.
QImage DrawAppIcon(const QString& svgFile, int size);

// Writes the icon at every size the desktop's icon theme asks for (16 to 256 pixels) as
// <folder>/<size>x<size>/apps/<name of the SVG>.png. False, with the reason printed, when one fails.
bool WriteAppIcons(const QString& svgFile, const QString& folder);
