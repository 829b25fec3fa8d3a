#pragma once
// Comma-separated lines as the user list, the connection file and the
// service's answers write them: fields split at a separator; a double quote
// as the first character of a field starts a quoted stretch in which the
// separator does not split and two double quotes stand for one; a code page
// 932 lead byte always takes the next byte with it. An empty line has one
// empty field.
#include <string>
#include <vector>

std::vector<std::string> SplitCsvLine(const std::string& line, char separator = ',');
