// The fixture most tests start from: a fresh Workspace, nothing recorded,
// every allocation succeeding; no buffer is left behind.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recording_platform.h"
#include "workspace_samples.h"

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

    Workspace ws = freshWorkspace();
};

inline void expectOutOfMemoryReport(const UiCall& message, const UiCall& quit) {
    EXPECT_EQ(message.text, "Brak pamięci!");
    EXPECT_EQ(message.caption, "");
    EXPECT_EQ(quit.value, -1);
}

// Running out of memory was all that was recorded: the box, then the quit
// with -1.
inline void expectOnlyOutOfMemoryReport() {
    ASSERT_EQ(recordedKinds(), (std::vector<UiCallKind>{UiCallKind::Message, UiCallKind::Quit}));
    expectOutOfMemoryReport(recordedUi.calls[0], recordedUi.calls[1]);
}

// The name of a parameterised test's case: the `name` of its parameter.
struct NamedAfterTheParameter {
    template <class Parameter>
    std::string operator()(const ::testing::TestParamInfo<Parameter>& info) const {
        return std::string(info.param.name);
    }
};
