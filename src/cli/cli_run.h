// Carries out what tavrelic-cli was asked: every input its own fresh start
// of the program, on a worker per core.
#pragma once

#include "cli/cli_options.h"
#include "picture/runtime.h"

// The exit codes.
constexpr int CliAllWritten = 0;
constexpr int CliSomeRefused = 1;
constexpr int CliBadUsage = 2;
constexpr int CliOutOfMemory = 3;

// Runs generate, decode, batch or info; returns the exit code.
int runCliRequest(Runtime& runtime, const CliRequest& request);
