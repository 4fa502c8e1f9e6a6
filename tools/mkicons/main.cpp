// SPDX-License-Identifier: GPL-3.0-or-later
// mkicons: draws the program icon for the desktop's hicolor theme, at the usual sizes and as
// SVG, from the same design as the window's icon.
// Usage: mkicons <theme folder> <icon name> <regular font file> <bold font file>
#include "../mkbanner/Drawing.h"
#include "ScalableIcon.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <array>
#include <exception>
#include <iostream>
#include <stdexcept>

namespace {

constexpr std::array kSizes{16, 22, 24, 32, 48, 64, 128, 256};

QString SizeFolder(const QString& theme, const QString& size) {
    const QString folder = theme + "/" + size + "/apps";
    if (!QDir().mkpath(folder))
        throw std::runtime_error("cannot make " + folder.toStdString());
    return folder;
}

int Run(int argc, char** argv) {
    if (argc != 5) {
        std::cerr << "usage: mkicons <theme folder> <icon name> <regular font> <bold font>\n";
        return 2;
    }
    const QString theme = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    const auto fonts = lexfall::banner::LoadFonts(QString::fromLocal8Bit(argv[3]),
                                                  QString::fromLocal8Bit(argv[4]));
    for (const int size : kSizes) {
        const QString file =
            SizeFolder(theme, QStringLiteral("%1x%1").arg(size)) + "/" + name + ".png";
        if (!lexfall::banner::DrawIcon(fonts, size).save(file, "PNG"))
            throw std::runtime_error("cannot write " + file.toStdString());
    }

    QFont letterFont(fonts.bold);
    letterFont.setBold(true);
    QFile svg(SizeFolder(theme, QStringLiteral("scalable")) + "/" + name + ".svg");
    if (!svg.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        svg.write(lexfall::banner::ScalableIcon(letterFont).toUtf8()) < 0 || !svg.flush())
        throw std::runtime_error("cannot write " + svg.fileName().toStdString());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    try {
        return Run(argc, argv);
    } catch (const std::exception& error) {
        std::cerr << "mkicons: " << error.what() << "\n";
        return 1;
    }
}
