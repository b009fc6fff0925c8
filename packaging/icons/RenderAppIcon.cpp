// render_app_icon: writes the monitor's icon into an icon theme tree,
//   render_app_icon FOLDER NAME
// as FOLDER/hicolor/SIZExSIZE/apps/NAME.png for each window icon size and
// FOLDER/hicolor/scalable/apps/NAME.svg.

#include "monitor/resources/AppIcon.h"
#include "packaging/icons/IconFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {

bool WriteFile(const QString& path, const QByteArray& contents) {
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
           file.write(contents) == contents.size() && file.flush();
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: render_app_icon FOLDER NAME\n");
        return 2;
    }
    const QString theme = QString::fromLocal8Bit(argv[1]) + "/hicolor/";
    const QString name = QString::fromLocal8Bit(argv[2]);

    for (const int size : kelvo::resources::applicationIconSizes) {
        const QString folder = theme + QString("%1x%1/apps/").arg(size);
        const QString path = folder + name + ".png";
        if (!QDir().mkpath(folder) ||
            !kelvo::packaging::ApplicationIconImage(size).save(path, "PNG")) {
            std::fprintf(stderr, "render_app_icon: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    const QString svgPath = theme + "scalable/apps/" + name + ".svg";
    if (!WriteFile(svgPath, kelvo::packaging::ApplicationIconSvg())) {
        std::fprintf(stderr, "render_app_icon: cannot write %s\n", qPrintable(svgPath));
        return 1;
    }
    return 0;
}
