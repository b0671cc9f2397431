#include "base/shared_library.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "shell/app_paths.h"
#include "temp_folder.h"

namespace obrin {
namespace {

using test::TempFolder;
using test::WriteBytes;

using AnswerFunction = int (*)();
using PathFunction = const char* (*)();

const std::filesystem::path& BuiltLibrary() {
    static const std::filesystem::path path = ProgramFolder() / "base_test_library.so";
    return path;
}

std::string LoadedFrom(const SharedLibrary& library) {
    std::string error;
    auto* path = reinterpret_cast<PathFunction>(library.symbol("ShellTestLibraryPath", error));
    return path != nullptr ? path() : "symbol missing: " + error;
}

class SharedLibraryTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(std::filesystem::exists(BuiltLibrary())) << BuiltLibrary();
        savedCwd_ = std::filesystem::current_path();
    }
    void TearDown() override { std::filesystem::current_path(savedCwd_); }

    // A folder that is the current folder and holds a copy of the library.
    void enterFolderWithCopy(const TempFolder& folder, const std::string& name) {
        std::filesystem::copy_file(BuiltLibrary(), folder / name);
        std::filesystem::current_path(folder.path());
    }

    std::filesystem::path savedCwd_;
};

struct NameCase {
    const char* name;
    std::string request;
};

class SharedLibraryNameTest : public SharedLibraryTest,
                              public testing::WithParamInterface<NameCase> {};

TEST_P(SharedLibraryNameTest, FindsTheLibraryBesideTheProgram) {
    std::string request = GetParam().request;
    if (request == "<absolute>") request = BuiltLibrary().string();
    std::string error;

    auto library = SharedLibrary::Open(request, ProgramFolder(), error);

    ASSERT_TRUE(library.has_value()) << error;
    EXPECT_EQ(error, "");
    EXPECT_EQ(library->fileName(), BuiltLibrary().string());
    auto* answer = reinterpret_cast<AnswerFunction>(library->symbol("ShellTestAnswer", error));
    ASSERT_NE(answer, nullptr) << error;
    EXPECT_EQ(answer(), 42);
}

INSTANTIATE_TEST_SUITE_P(Names, SharedLibraryNameTest,
                         testing::Values(NameCase{"DllName", "base_test_library.dll"},
                                         NameCase{"UpperCaseDll", "base_test_library.DLL"},
                                         NameCase{"SoName", "base_test_library.so"},
                                         NameCase{"AbsolutePath", "<absolute>"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SharedLibraryTest, NeverLoadsFromTheCurrentFolder) {
    TempFolder cwd;
    TempFolder program;
    enterFolderWithCopy(cwd, "cwd_only.so");

    // An unknown program folder (empty) must not turn into the current one.
    for (const auto& folder : {program.path(), std::filesystem::path()}) {
        for (const std::string request : {"cwd_only.dll", "cwd_only.so", "./cwd_only.so"}) {
            std::string error;
            EXPECT_FALSE(SharedLibrary::Open(request, folder, error).has_value())
                << request << " with folder " << folder;
            EXPECT_NE(error.find("cwd_only.so"), std::string::npos) << error;
        }
    }
}

TEST_F(SharedLibraryTest, ProgramFolderWinsOverTheCurrentFolder) {
    TempFolder cwd;
    TempFolder program;
    std::filesystem::copy_file(BuiltLibrary(), program / "twin.so");
    enterFolderWithCopy(cwd, "twin.so");
    std::string error;

    auto library = SharedLibrary::Open("twin.dll", program.path(), error);

    ASSERT_TRUE(library.has_value()) << error;
    EXPECT_EQ(std::filesystem::path(LoadedFrom(*library)), program / "twin.so");
}

TEST_F(SharedLibraryTest, SystemSearchFindsABareName) {
    TempFolder program;
    std::string error;

    auto library = SharedLibrary::Open("libm.so.6", program.path(), error);

    ASSERT_TRUE(library.has_value()) << error;
    EXPECT_NE(library->symbol("cos", error), nullptr) << error;
}

struct FailureCase {
    const char* name;
    const char* request;
    const char* fileContents;  // nullptr: no file in the program folder
    std::vector<std::string> named;
};

class SharedLibraryFailureTest : public SharedLibraryTest,
                                 public testing::WithParamInterface<FailureCase> {};

TEST_P(SharedLibraryFailureTest, NamesTheFileAndTheCause) {
    TempFolder program;
    if (GetParam().fileContents != nullptr) {
        WriteBytes(program / "broken.so", GetParam().fileContents);
    }
    std::string error;

    EXPECT_FALSE(SharedLibrary::Open(GetParam().request, program.path(), error).has_value());

    for (const auto& text : GetParam().named) {
        std::string expected = text;
        if (expected == "<folder>") expected = program.path().string();
        EXPECT_NE(error.find(expected), std::string::npos) << error << " lacks " << expected;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Failures, SharedLibraryFailureTest,
    testing::Values(FailureCase{"Missing",
                                "no_such_plugin.dll",
                                nullptr,
                                {"no_such_plugin.so", "cannot open shared object file"}},
                    FailureCase{
                        "NotALibrary", "broken.dll", "this is not ELF", {"<folder>", "broken.so"}},
                    FailureCase{"EmptyName", "", nullptr, {"ライブラリ名が空です"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SharedLibraryTest, MissingSymbolNamesTheSymbolAndTheFile) {
    std::string error;
    auto library = SharedLibrary::Open("base_test_library.dll", ProgramFolder(), error);
    ASSERT_TRUE(library.has_value()) << error;

    EXPECT_EQ(library->symbol("Input", error), nullptr);

    EXPECT_NE(error.find("「Input」"), std::string::npos) << error;
    EXPECT_NE(error.find(BuiltLibrary().string()), std::string::npos) << error;
}

TEST_F(SharedLibraryTest, ClosesTheLibraryWhenItGoes) {
    TempFolder program;
    std::filesystem::copy_file(BuiltLibrary(), program / "once.so");
    const std::string path = (program / "once.so").string();
    std::string error;
    {
        auto library = SharedLibrary::Open("once.dll", program.path(), error);
        ASSERT_TRUE(library.has_value()) << error;
        auto moved = std::move(*library);
        library.reset();
        void* stillThere = ::dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
        EXPECT_NE(stillThere, nullptr) << "a moved-from library must not close the handle";
        if (stillThere != nullptr) ::dlclose(stillThere);
    }
    EXPECT_EQ(::dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr);
}

}  // namespace
}  // namespace obrin
