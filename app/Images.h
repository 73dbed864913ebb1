#pragma once
#include <QIcon>

namespace app {

// The menus' 16 x 16 images and the toolbar's 48 x 48 images share these indices.
enum ImageIndex {
    imgHomePage = 0,
    imgEMail = 1,
    imgHelp = 2,
    imgAdd = 3,
    imgDelete = 4,
    imgConvert = 5,
    imgStop = 6,
    imgFix = 7,
    imgPreferences = 8,
    imgPlay = 9,
    imgSound = 10,
    imgTurnOff = 11,
    ImageCount = 12
};

// The image at `index`, drawn at 16 x 16 and 48 x 48 (a null icon for an index outside the list).
QIcon ImageListIcon(int index);

}  // namespace app
