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

// The image at `index` for a command that toggles. A menu item with an image shows its check only as a
// faint frame round the image, so the small image carries a check mark while the command is on; the
// toolbar's large image stays as it is, since a pressed button shows the state already.
QIcon ToggleImageIcon(int index);

// The program's own icon, the one its menu entry shows, for every window's title bar and task bar entry.
QIcon AppIcon();

}  // namespace app
