#pragma once
// The per-thread record of the window library (internal to src/wfc).
#include <windows.h>

#include <vector>

#include "wfc/Window.h"

namespace lib {
namespace wfc {

struct ThreadRecord {
    int depth = 0;
    CurrentMessage current;
    std::vector<CWindow*> deferred;  // deleted when depth returns to 0
};

// The calling thread's record; made on first use when `create` is set.
ThreadRecord* GetThreadRecord(bool create);

}  // namespace wfc
}  // namespace lib
