// The steps of a scenario script as the driver performs them against a
// running tavrelic.exe.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "program_tables.h"

constexpr DWORD DefaultWaitMs = 30000;

struct Session {
    std::wstring programPath;
    // The program's commands, menus and Preferences controls, by which the
    // steps find what a scenario names.
    ProgramTables tables;
    // The limit of every wait of a step. Each wait ends as soon as what it
    // waits for holds, so the limit is reached only when something is
    // wrong; it is long enough that a machine kept busy by other work does
    // not reach it.
    DWORD waitMs = DefaultWaitMs;
    PROCESS_INFORMATION process = {};
    bool started = false;  // the process handles are open
    HWND mainWindow = nullptr;
    // What the status bar's text showed on screen, by the name it was
    // captured under (capture-status).
    std::map<std::string, std::vector<uint32_t>> statusCaptures;
    // What a run that ended by itself (run) printed, as the bytes it wrote.
    std::string printedOutput;
    std::string printedErrors;
    // The drops asked of the session so far, which number their requests.
    int drops = 0;
};

// Expands the variables of every argument; the step name stays as it is.
bool expandArguments(std::vector<std::string>& words, std::string& failure);

// Performs one step; false with a reason when it failed. An unknown step or
// a wrong number of arguments is a failure too.
bool performStep(Session& session, const std::vector<std::string>& words, std::string& failure);

// Ends a program that is still running and closes its handles.
void endProgram(Session& session);
