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

    // How an extraction ended: at the end of the file, or at a failure with its errno.
    struct Result {
        enum Kind { Done, NotOpened, NotRegular, ReadFailed };
        Kind kind = Done;
        int error = 0;
        bool done() const { return kind == Done; }
    };

    // Calls found with each run, in file order. Only regular files are read (a folder, FIFO, device
    // or socket is NotRegular, refused without blocking); the file's access time is left alone where
    // the kernel allows it. A read error ends the reading as ReadFailed: the runs found before it
    // stand, a run that the failed read may have cut short is not given.
    static Result extract(const std::string& fileName, const std::function<void(std::string_view)>& found,
                          int lowerBound = LowerBound, int upperBound = UpperBound);

    // "<file>: <reason>", what is said of a read error.
    static QString readErrorText(const std::string& fileName, int error);

    // The window's form: clears list and fills it. When the file cannot be opened, shows
    // "Could not open file " and the name, and leaves list as it was. After a read error list holds
    // what was found before it; the caller says readErrorText once it shows them.
    static Result extractInto(const std::string& fileName, QStringList& list, int lowerBound = LowerBound,
                              int upperBound = UpperBound);
};
