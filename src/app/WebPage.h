#pragma once
// Opens a web page in the default browser ("open"), with one more try
// through "iexplore.exe"; false for an empty URL or when both fail (logged).
#include <string>

bool OpenWebPageUrl(const std::string& url);
