#pragma once
#include <QImage>

// The About window's picture, 223 x 358: a film strip and a sound wave flowing into the product's mark.
QImage DrawAboutPicture();
