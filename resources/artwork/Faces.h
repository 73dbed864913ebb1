#pragma once
#include <QImage>

// Face number `index` (0..34) drawn at `size` pixels square: seven face colours times five pairs of eyes
// give 35 different faces, and the mouth, brows and cheeks vary on top.
QImage DrawFace(int index, int size);
