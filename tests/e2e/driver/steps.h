// The steps of a scenario script as the driver performs them against a
// running tavrelic.exe.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct Session {
    std::wstring programPath;
    DWORD waitMs = 5000;  // the limit of every wait of a step
    PROCESS_INFORMATION process = {};
    bool started = false;  // the process handles are open
    HWND mainWindow = nullptr;
    // What the status bar's text showed on screen, by the name it was
    // captured under (capture-status).
    std::map<std::string, std::vector<uint32_t>> statusCaptures;
};

// Expands the variables of every argument; the step name stays as it is.
bool expandArguments(std::vector<std::string>& words, std::string& failure);

// Performs one step; false with a reason when it failed. An unknown step or
// a wrong number of arguments is a failure too.
bool performStep(Session& session, const std::vector<std::string>& words, std::string& failure);

// Ends a program that is still running and closes its handles.
void endProgram(Session& session);
