// What the tests check of an outcome the core returned.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "picture/outcome.h"

// Refused, with this text and caption to show.
inline void expectRefused(const Outcome& outcome, const std::string& text, const std::string& caption) {
    EXPECT_EQ(outcome.kind, OutcomeKind::Refused);
    ASSERT_TRUE(isMessage(outcome.refusal));
    EXPECT_EQ(outcome.refusal.text, text);
    EXPECT_EQ(outcome.refusal.caption, caption);
}
