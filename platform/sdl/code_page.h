// Text in the system code page (Shift-JIS, or Korean under OEM code page 949) to and from UTF-8.
#pragma once

#include <string>

std::string CodePageToUtf8(const std::string& text);
std::string Utf8ToCodePage(const std::string& text);
