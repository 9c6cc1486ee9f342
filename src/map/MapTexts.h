// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "map/MapLayout.h"
#include "map/MapModel.h"

#include <QString>
#include <cstdint>

// The texts the map shows; names and paths through DisplayText, so any bytes read safely.

// A size in the largest binary unit that keeps it at 1 or more, one decimal: "512 bytes", "12.5 K",
// "3.0 M", "1.2 G", "4.0 T".
QString MapSizeText(std::int64_t bytes);

// The extension of a type group as the legend shows it: ".JPG", "(no extension)", or "(other)" for
// group 0.
QString MapTypeLabel(const MapModel& model, std::uint16_t type);

// What a tile stands for, in three parts: its path (a rest tile: its folder's, with "/..."), its size
// in bytes with thousands separators, and its type (the type name of its extension; a rest tile
// "smaller files and folders together").
struct MapTileText {
    QString path;
    QString size;
    QString type;
    QString joined() const; // the three, three spaces apart
};
MapTileText DescribeTile(const MapModel& model, const MapTile& tile);

// A folder: its path, its size in bytes and how many files it holds.
MapTileText DescribeFolder(const MapModel& model, std::uint32_t folder);
