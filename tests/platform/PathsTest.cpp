#include <gtest/gtest.h>

#include "platform/core/Paths.h"

using namespace platform;

TEST(Paths, DestinationNameReplacesOnlyTheFileNamesExtension) {
    EXPECT_EQ(ChangeExtToRm("/media/clip.avi"), "/media/clip.rm");
    EXPECT_EQ(ChangeExtToRm("/media/clip"), "/media/clip.rm");
    EXPECT_EQ(ChangeExtToRm("/v.1/clip"), "/v.1/clip.rm");
    EXPECT_EQ(ChangeExtToRm("/in/a.b.mpg"), "/in/a.b.rm");
    EXPECT_EQ(ChangeExtToRm("clip."), "clip.rm");
}

TEST(Paths, DirectoryAndFileParts) {
    EXPECT_EQ(ExtractFilePath("/tools/q"), "/tools/");
    EXPECT_EQ(ExtractFilePath("q"), "");
    EXPECT_EQ(ExtractFileName("/tools/q.avi"), "q.avi");
    EXPECT_EQ(RemoveTrailingDelimiter("/out/"), "/out");
    EXPECT_EQ(RemoveTrailingDelimiter("/"), "");
    EXPECT_EQ(RemoveTrailingDelimiter(""), "");
    EXPECT_EQ(RemoveTrailingDelimiter("/out//"), "/out/");
}
