#pragma once
// The keys the skin readers require of a block, with their value types, in
// the order they are checked: the window's base block and the scroll bar's
// and list view's item blocks. The readers check a skin with them when it is
// loaded; the native test checks every carried skin file with the same
// tables, so a file can never be tested against a copy.
#include <cstddef>

#include "ui/SkinData.h"

namespace ui {

// The skin window's base block.
inline constexpr PropertySpec kSkinWindowBaseSpec[] = {
    {"Image", "siiii"}, {"Title", "s"}, {"CaptionHeight", "i"}, {"Font", "sii"}};
// What the resizable window reads from the base block besides.
inline constexpr PropertySpec kResizableBaseSpec[] = {
    {"BorderWidth", "i"}, {"DivPoint", "iiii"}, {"MinSize", "ii"}, {"LayoutSize", "ii"}};

inline constexpr PropertySpec kScrollBarSpec[] = {{"Type", "s"},
                                                  {"Position", "ii"},
                                                  {"Size", "ii"},
                                                  {"ButtonSize", "ii"},
                                                  {"ThumbSize", "ii"},
                                                  {"ThumbPart", "iii"},
                                                  {"BaseImage", "siiiiii"},
                                                  {"UpButtonImage", "siiiiiiii"},
                                                  {"DownButtonImage", "siiiiiiii"},
                                                  {"ThumbImage", "siiiiiiii"},
                                                  {"UpImage", "siiii"},
                                                  {"DownImage", "siiii"},
                                                  {"DisableUpImage", "siiii"},
                                                  {"DisableDownImage", "siiii"}};

// The list view's fixed keys; the numbered rows and labels it reads after
// them are checked as their counts say.
inline constexpr PropertySpec kListViewSpec[] = {
    {"Position", "ii"},
    {"Size", "ii"},
    {"Font", "sii"},
    {"NormalButton", "siiii"},
    {"NormalHotButton", "siiii"},
    {"PushedButton", "siiii"},
    {"PushedHotButton", "siiii"},
    {"NormalHeader", "siiiiii"},
    {"PushedHeader", "siiiiii"},
    {"NormalRowCount", "i"},
    {"ActiveRow", "siiiiii"},
    {"LabelCount", "i"},
};

template <size_t N>
constexpr size_t SpecCount(const PropertySpec (&)[N]) {
    return N;
}

}  // namespace ui
