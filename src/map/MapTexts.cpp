// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/MapTexts.h"

#include "common/DisplayText.h"
#include "common/NumberTexts.h"
#include "platform/FileTypes.h"

#include <QLocale>

QString MapSizeText(std::int64_t bytes) {
    if (bytes < 1024)
        return QString::number(std::max<std::int64_t>(bytes, 0)) + QStringLiteral(" bytes");
    static const char* const units[] = {" K", " M", " G", " T", " P", " E"};
    double value = double(bytes) / 1024.0;
    int unit = 0;
    while (value >= 1024.0 && unit < 5) {
        value /= 1024.0;
        ++unit;
    }
    return QLocale().toString(value, 'f', 1) + QLatin1String(units[unit]);
}

QString MapTypeLabel(const MapModel& model, std::uint16_t type) {
    if (type == 0 || type >= model.types().size())
        return QStringLiteral("(other)");
    const std::string& extension = model.types()[type].extension;
    return extension.empty() ? QStringLiteral("(no extension)") : DisplayText(extension);
}

QString MapTileText::joined() const {
    QString text = path + QStringLiteral("   ") + size;
    if (!type.isEmpty())
        text += QStringLiteral("   ") + type;
    return text;
}

MapTileText DescribeTile(const MapModel& model, const MapTile& tile) {
    MapTileText text;
    text.size = FormatThousands(tile.bytes) + QStringLiteral(" bytes");
    if (tile.kind == MapTile::Rest) {
        std::string path = model.folderPath(tile.folder);
        if (path.empty() || path.back() != '/')
            path += '/';
        text.path = DisplayText(path) + QStringLiteral("...");
        text.type = QStringLiteral("smaller files and folders together");
        return text;
    }
    text.path = DisplayText(model.filePath(tile.folder, tile.file));
    const std::string& extension = tile.type < model.types().size() ? model.types()[tile.type].extension : std::string();
    // A type name is asked for by the extension as the file has it: the database knows "*.jpg".
    const std::string name(model.fileName(tile.file));
    const std::size_t dot = name.rfind('.');
    const QString own = dot == std::string::npos ? QString() : DisplayText(std::string_view(name).substr(dot));
    text.type = tile.type != 0 && !extension.empty() ? FileTypeName(own) : QString();
    if (text.type.isEmpty())
        text.type = QStringLiteral("File");
    return text;
}

MapTileText DescribeFolder(const MapModel& model, std::uint32_t folder) {
    MapTileText text;
    const MapFolder& f = model.folder(folder);
    text.path = folder == MapModel::Scan ? QStringLiteral("Every folder walked") : DisplayText(model.folderPath(folder));
    text.size = FormatThousands(f.bytes) + QStringLiteral(" bytes");
    text.type = CountText(f.files, "file", "files");
    if (f.unreadable)
        text.type += QStringLiteral(", could not be read whole");
    return text;
}
