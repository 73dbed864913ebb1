#include <gtest/gtest.h>

#include <QFile>
#include <QImageReader>
#include <QTextBrowser>

#include "extras/MoreSoftwareWindow.h"
#include "extras/ThankFile.h"

namespace {
const std::string Installed = std::string(QUENZOR_PROGRAM_DIR) + "/";

QByteArray Read(const std::string& relative) {
    QFile file(QString::fromStdString(Installed + relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
}  // namespace

TEST(InstalledFiles, CataloguePagesShowRealContent) {
    QTextBrowser browser;
    for (const auto& page : extras::TMoreForm::Pages) {
        extras::TMoreForm::Navigate(&browser, Installed + "more/" + page.file);
        const QString text = browser.toPlainText();
        EXPECT_TRUE(text.startsWith(page.caption)) << page.file;
        EXPECT_GT(text.size(), 600) << page.file;
    }
}

TEST(InstalledFiles, HelpSoundAndThanksAreThere) {
    EXPECT_TRUE(Read("Help.chm").startsWith("ITSF")) << "a compiled help file";
    const QByteArray wav = Read("Tada.wav");
    ASSERT_GT(wav.size(), 44);
    EXPECT_TRUE(wav.startsWith("RIFF"));
    EXPECT_EQ(wav.mid(8, 8), "WAVEfmt ");
    const auto thanks = extras::ReadThankFile(Installed + "thank.txt");
    ASSERT_FALSE(thanks.empty());
    for (const auto& line : thanks)
        EXPECT_FALSE(line.starts_with("//"));
}

TEST(InstalledFiles, FaceIconsHoldSeveralSizes) {
    QImageReader reader(QString::fromStdString(Installed + "SystemIco/17.ico"));
    EXPECT_EQ(reader.imageCount(), 3);
    const QImage image = reader.read();
    ASSERT_FALSE(image.isNull());
    EXPECT_TRUE(image.hasAlphaChannel());
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "corners are transparent";
}
