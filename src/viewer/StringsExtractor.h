// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QStringList>

#include <functional>
#include <string>
#include <string_view>

// The printable strings of a file: runs of ASCII letters, digits and spaces longer than lowerBound
// and at most upperBound + 1 characters (6 to 101 with the usual bounds), in file order. Every other
// byte ends a run; a run that grows past upperBound + 1 is dropped up to the next separator. A run
// is judged whole wherever the file's reads split it, and a run that reaches the end of the file
// counts too. The file is read a block at a time, never held whole.
class StringsExtractor {
public:
    static constexpr int LowerBound = 5;
    static constexpr int UpperBound = 100;

    // Calls found with each run. False with errno in *error when the file cannot be opened (only
    // regular files are read; a FIFO or device is refused without blocking); a read error ends the
    // reading like the end of the file.
    static bool extract(const std::string& fileName, const std::function<void(std::string_view)>& found,
                        int* error = nullptr, int lowerBound = LowerBound, int upperBound = UpperBound);

    // The window's form: clears list and fills it. When the file cannot be opened, shows
    // "Could not open file " and the name, and leaves list as it was.
    static bool extractInto(const std::string& fileName, QStringList& list, int lowerBound = LowerBound,
                            int upperBound = UpperBound);
};
