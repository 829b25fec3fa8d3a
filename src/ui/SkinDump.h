#pragma once
// The resolved item tree as stable text, for the skin checker and the golden
// files of the tests. Items in name order, keys in key order, values in the
// order written:
//
//     CloseButtonClass {
//         NormalImage = "Parts.png", "0", "0";
//         AutoDisable;                          <- a key without values
//     }
//
// Inside quotes a double quote and a backslash are escaped with a backslash
// and control characters are written as \xHH.
#include <string>

#include "ui/SkinData.h"

namespace ui {

enum class SkinDumpCharset {
    kCp932,  // the values' own bytes (what a Japanese console shows)
    kUtf8,   // converted, for files kept in the source tree
};

std::string DumpSkinTree(const SkinData& skin, SkinDumpCharset charset);

// Code page 932 text as UTF-8.
std::string Cp932ToUtf8(const std::string& text);

}  // namespace ui
