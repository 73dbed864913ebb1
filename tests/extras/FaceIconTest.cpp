#include <sys/stat.h>

#include <QLabel>
#include <QPixmap>
#include <set>

#include "extras/FaceIcon.h"
#include "support/ExtrasFixture.h"

using namespace extras;

TEST(FaceIcons, EveryPickIsFreshAndWithinTheInstalledRange) {
    FaceIconPicker picker(12345);
    std::set<int> seen;
    for (int i = 0; i < 2000; ++i) {
        const int n = picker.NextIndex();
        ASSERT_GE(n, 0);
        ASSERT_LE(n, 34);
        seen.insert(n);
    }
    EXPECT_EQ(seen.size(), 35u) << "all 35 faces can come up";
    EXPECT_EQ(FaceIconPath("/opt/q/", 7), "/opt/q/SystemIco/7.ico");
    EXPECT_EQ(FaceIconPath("/opt/q/", 34), "/opt/q/SystemIco/34.ico");
}

class FaceImage : public ExtrasTest {
  protected:
    FaceImage() { face.setGeometry(0, 0, 33, 33); }
    QLabel face;
};

TEST_F(FaceImage, EveryInstalledIconLoadsAndFitsItsImage) {
    const std::string installed = std::string(QUENZOR_PROGRAM_DIR) + "/";
    for (int i = 0; i < FaceIconCount; ++i) {
        ASSERT_TRUE(ShowFaceIcon(&face, FaceIconPath(installed, i))) << i;
        EXPECT_LE(face.pixmap().width(), 33);
        EXPECT_GE(face.pixmap().width(), 32);
    }
}

TEST_F(FaceImage, AMissingOrBrokenIconLeavesTheImageEmpty) {
    const std::string installed = std::string(QUENZOR_PROGRAM_DIR) + "/";
    ASSERT_TRUE(ShowFaceIcon(&face, FaceIconPath(installed, 0)));
    EXPECT_FALSE(ShowFaceIcon(&face, FaceIconPath(Dir(), 3)));
    EXPECT_TRUE(face.pixmap().isNull()) << "no stale face from before";
    WriteFile("broken.ico", std::string("\0\0\1\0\1\0garbage", 12));
    EXPECT_FALSE(ShowFaceIcon(&face, Dir() + "broken.ico"));
    WriteFile("text.ico", "not an icon at all\n");
    EXPECT_FALSE(ShowFaceIcon(&face, Dir() + "text.ico"));
    // A pipe with no writer under an icon's name is passed over instead of waited on.
    ASSERT_EQ(::mkfifo((Dir() + "pipe.ico").c_str(), 0600), 0);
    EXPECT_FALSE(ShowFaceIcon(&face, Dir() + "pipe.ico"));
    EXPECT_FALSE(ShowFaceIcon(nullptr, FaceIconPath(installed, 0)));
}
