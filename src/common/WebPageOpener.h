#pragma once
// Opens a web page in the user's default browser.
#include <string>

// Opens url with the shell's "open"; when the shell fails it logs and tries
// once more through "iexplore.exe". An empty URL is refused. True when a
// browser was started.
bool OpenWebPage(const std::string& url);
