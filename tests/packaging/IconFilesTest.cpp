#include "monitor/resources/AppIcon.h"
#include "tests/platform/ini/TemporaryDirectory.h"

#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QSvgRenderer>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace kelvo {
namespace {

using testing::TemporaryDirectory;

struct RunResult {
    int exitCode = -1;
    std::string errors;
};

RunResult RenderIcons(const std::filesystem::path& folder) {
    QProcess tool;
    tool.start(RENDER_APP_ICON_PATH, {QString::fromStdString(folder.string()), "app.id"});
    if (!tool.waitForFinished(60000)) {
        tool.kill();
        tool.waitForFinished();
        return {};
    }
    return {tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1,
            tool.readAllStandardError().toStdString()};
}

// Share of pixels whose channels differ from the other image's by more than
// a rounding step of antialiasing.
double DifferingShare(const QImage& left, const QImage& right) {
    const QImage a = left.convertToFormat(QImage::Format_ARGB32);
    const QImage b = right.convertToFormat(QImage::Format_ARGB32);
    int differing = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            const int worst =
                std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                          std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
            differing += worst > 24 ? 1 : 0;
        }
    }
    return static_cast<double>(differing) / (a.width() * a.height());
}

TEST(IconFilesTest, WritesEachSizeAndAScalablePictureOfTheSameDrawing) {
    TemporaryDirectory folder;
    const RunResult run = RenderIcons(folder.Path());
    ASSERT_EQ(run.exitCode, 0) << run.errors;

    QImage size64;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        SCOPED_TRACE(size);
        const std::string name = std::to_string(size) + "x" + std::to_string(size);
        QImage image(QString::fromStdString(
            (folder.Path() / "hicolor" / name / "apps" / "app.id.png").string()));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(size, size));
        // The corners stay clear for the desktop's background; the bulb is red.
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
        const QRgb bulb = image.pixel(size / 2, size * 48 / 64);
        EXPECT_GT(qRed(bulb), 180);
        EXPECT_LT(qGreen(bulb), 80);
        if (size == 64) {
            size64 = image;
        }
    }

    QSvgRenderer svg(
        QString::fromStdString((folder.Path() / "hicolor/scalable/apps/app.id.svg").string()));
    ASSERT_TRUE(svg.isValid());
    EXPECT_EQ(svg.viewBox(), QRect(0, 0, 64, 64));
    QImage drawn(64, 64, QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::transparent);
    QPainter painter(&drawn);
    svg.render(&painter);
    painter.end();
    EXPECT_LT(DifferingShare(drawn, size64), 0.01);
}

// The window gives the window manager small pictures only, while a
// notification or a larger request still gets a sharp drawing of its own size.
TEST(IconFilesTest, TheWindowIconOffersSmallSizesAndDrawsEverySizeSharp) {
    const QIcon icon = resources::ApplicationIcon();
    QList<QSize> offered;
    for (const int size : resources::windowIconSizes) {
        offered.append(QSize(size, size));
    }
    EXPECT_EQ(icon.availableSizes(), offered);
    EXPECT_LE(offered.back().width(), 64);
    for (const int size : {16, 48, 128, 256}) {
        SCOPED_TRACE(size);
        QImage drawn(size, size, QImage::Format_ARGB32_Premultiplied);
        drawn.fill(Qt::transparent);
        QPainter painter(&drawn);
        resources::PaintApplicationIcon(painter, size);
        painter.end();
        const QImage given = icon.pixmap(size, size).toImage();
        ASSERT_EQ(given.size(), QSize(size, size));
        EXPECT_EQ(DifferingShare(given, drawn), 0.0);
    }
}

TEST(IconFilesTest, ReportsAFolderItCannotWrite) {
    TemporaryDirectory folder;
    TemporaryDirectory::WriteFile(folder / "file", "not a folder");
    const RunResult run = RenderIcons(folder / "file");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.errors.find("cannot write"), std::string::npos) << run.errors;
}

} // namespace
} // namespace kelvo
