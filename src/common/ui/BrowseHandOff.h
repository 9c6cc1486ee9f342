// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <functional>
#include <string>

class QWidget;

// The folder browser hand-off of a finder window: the folder to open (exact path bytes), the file
// name to select in it ("" for none) and the file mask. A window keeps its Browse button hidden
// while it has none.
using BrowseHandOff =
    std::function<void(QWidget* parent, const std::string& folder, const std::string& name, const QString& mask)>;

// Hands a file's exact path to the browser as its folder (up to and with the last "/") and name.
inline void BrowseToFile(const BrowseHandOff& handOff, QWidget* parent, const std::string& path, const QString& mask) {
    if (!handOff)
        return;
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    handOff(parent, folder, name, mask);
}
