// The program's texts are UTF-8; Win32 takes and gives UTF-16.
#pragma once

#include <string>

std::wstring widen(const char* utf8);
std::string narrow(const wchar_t* utf16);
