#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "shell/file_dialogs.h"

namespace {

TEST(FileDialogs, TheBmpFilterMatchesEitherCase) {
    EXPECT_EQ(bmpFilterInBothCases(), "Pliki BMP (*.BMP *.bmp)");
}

class CurrentDirectory : public ::testing::Test {
protected:
    void SetUp() override {
        start = std::filesystem::current_path();
        folder = std::filesystem::path(TAVRELIC_TEST_TMP) / "file_dialogs" / "mapy głębokości";
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::current_path(start); }

    std::filesystem::path start;
    std::filesystem::path folder;
};

TEST_F(CurrentDirectory, AConfirmedNameLeavesItAtTheFilesFolder) {
    enterFolderOf(folder / "kule.bmp");
    EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::current_path(), folder));
}

TEST_F(CurrentDirectory, AFolderThatIsNotThereLeavesItAsItWas) {
    enterFolderOf(folder / "nie ma" / "kule.bmp");
    EXPECT_EQ(std::filesystem::current_path(), start);
}

}  // namespace
