#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "shell/file_dialogs.h"

namespace {

TEST(FileDialogs, TheBmpFilterComesFirstThenEveryPictureThenEachFormat) {
    std::vector<std::string> filters;
    for (const FileFilter& filter : FileFilters) filters.push_back(filterInBothCases(filter));
    EXPECT_EQ(filters, (std::vector<std::string>{
                           "Pliki BMP (*.BMP *.bmp)",
                           "Wszystkie obrazki (*.BMP *.bmp *.PNG *.png *.JPG *.jpg *.JPEG *.jpeg)",
                           "Pliki PNG (*.PNG *.png)",
                           "Pliki JPEG (*.JPG *.jpg *.JPEG *.jpeg)",
                       }));
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
