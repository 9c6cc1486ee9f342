// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <string>

// The user's freedesktop trash through GIO: the home trash under $XDG_DATA_HOME, or the volume's
// .Trash-UID folder. One call per path, no questions asked.
class Trash {
public:
    // Moves one file or empty folder to the trash; false (and errorText) when it did not go.
    static bool moveToTrash(const std::string& path, QString* errorText = nullptr);
    // Whether the volume of path can take files into a trash (GIO's can-trash answer).
    static bool canTrash(const std::string& path);
};
