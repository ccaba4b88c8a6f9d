// The fixture most tests start from: a fresh Workspace, nothing recorded,
// every allocation succeeding; no buffer is left behind.
#pragma once

#include <gtest/gtest.h>

#include "recording_ui.h"
#include "workspace/workspace.h"

class WorkspaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetRecordedUi();
        failAllocationsAfter(-1);
    }
    void TearDown() override {
        failAllocationsAfter(-1);
        releaseAll(ws);
    }

    Workspace ws;
};
