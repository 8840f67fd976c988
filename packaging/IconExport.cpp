// orx-icon-export DIR NAME SIZE...: the application icon as the dialog draws it, saved as
// DIR/<SIZE>x<SIZE>/apps/NAME.png for each size, for the desktop's icon theme. A build step:
// it draws on Qt's offscreen platform and needs no display.
#include "platform/qt/AppIcon.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int FIRST_SIZE_ARG = 3;
constexpr int MAX_SIZE = 1024;

bool Export(const QString& dir, const QString& name, int size) {
    const QString folder = QStringLiteral("%1/%2x%2/apps").arg(dir).arg(size);
    const QString file = QStringLiteral("%1/%2.png").arg(folder, name);
    if (QDir().mkpath(folder) && orxqt::DrawAppIcon(size).save(file, "PNG"))
        return true;
    std::fprintf(stderr, "orx-icon-export: cannot write %s\n", file.toLocal8Bit().constData());
    return false;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc <= FIRST_SIZE_ARG) {
        std::fputs("usage: orx-icon-export DIR NAME SIZE...\n", stderr);
        return 1;
    }
    for (int i = FIRST_SIZE_ARG; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        if (size <= 0 || size > MAX_SIZE) {
            std::fprintf(stderr, "orx-icon-export: not a size: %s\n", argv[i]);
            return 1;
        }
        if (!Export(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]), size))
            return 1;
    }
    return 0;
}
