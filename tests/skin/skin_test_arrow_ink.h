#pragma once
// Where an arrow's tip lies: the spread of its ink across each line along the arrow's axis. The
// tip is the end whose inked line is the narrowest, whatever the style (triangle or chevron).
#include "Types.h"

#include <algorithm>
#include <functional>
#include <vector>

// For each line across R that holds ink (columns when alongX, rows otherwise), in order of x or
// y: the distance from its first to its last inked pixel, plus one.
inline std::vector<int> InkSpans(const TRect& r, bool alongX, const std::function<bool(int x, int y)>& ink)
{
    std::vector<int> spans;
    const int lines = alongX ? r.Width() : r.Height(), across = alongX ? r.Height() : r.Width();
    for (int i = 0; i < lines; ++i) {
        int first = -1, last = -1;
        for (int j = 0; j < across; ++j) {
            const int x = alongX ? r.Left + i : r.Left + j, y = alongX ? r.Top + j : r.Top + i;
            if (!ink(x, y)) continue;
            if (first < 0) first = j;
            last = j;
        }
        if (first >= 0) spans.push_back(last - first + 1);
    }
    return spans;
}

// The arrow's tip is at the start of spans (tipFirst) or at its end: the inked line there is the
// narrowest of all and narrower than the one at the other end.
inline bool TipAt(std::vector<int> spans, bool tipFirst)
{
    if (spans.size() < 2) return false;
    if (!tipFirst) std::reverse(spans.begin(), spans.end());
    return spans.front() == *std::min_element(spans.begin(), spans.end()) && spans.front() < spans.back();
}
