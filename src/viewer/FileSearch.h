// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <optional>

class ByteSearch;
class PagedFileModel;

// A place in the viewer's text: a line and a byte index in the line's text.
struct TextPlace {
    std::int64_t line = 0;
    int index = 0;
    friend bool operator==(const TextPlace&, const TextPlace&) = default;
};

// The forward text search of the file viewer in text mode, with the result of a search line by
// line through lineText: the first match at or after (line, index) that lies wholly in the part of
// its line that is shown (the first 1023 bytes; zero bytes as spaces: build the search with
// zeroAsSpace). After the starting line the file is read in large blocks and searched as a whole,
// lines counted only where needed, so a search runs at the speed of the disk. The line starts it
// passes and the end of the file, when reached, are taught to the model.
std::optional<TextPlace> FindTextForward(PagedFileModel& model, const ByteSearch& search, std::int64_t line,
                                         int index);

// The hex-mode search over the file's bytes: forward, the first match starting at or after from;
// backward, the last match ending at or before from. The match's first offset, or -1.
std::int64_t FindBytes(PagedFileModel& model, const ByteSearch& search, std::int64_t from, bool backward);
